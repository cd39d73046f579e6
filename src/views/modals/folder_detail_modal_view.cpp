#include "views/modals/folder_detail_modal_view.h"

#include <algorithm>
#include <cmath>

#include "platform/qt/property_observer.h"
#include "views/controls/glass_tints.h"

namespace calyxa {
namespace {

constexpr int kInset = 30;
constexpr int kSpacing = 22;
constexpr int kButtonSpacing = 14;

ModalStyle folderStyle() {
  ModalStyle style;
  style.dimOpacity = 0.46;
  style.panelWidth = FolderDetailModalView::kPanelWidth;
  style.glass = vantorel(GlassShape::roundedRectangle(32, GlassShape::CornerStyle::continuous),
                         Qt::white, 0.12, true, 1.4);
  style.shadowOpacity = 0.5;
  style.shadowRadius = 40;
  style.shadowOffsetY = 20;
  style.startScale = 1.0;
  return style;
}

GlassButton::Look capsuleLook(QString text, QFont font, QColor textColor, QColor tint,
                              double tintOpacity, double insetX) {
  GlassButton::Look look;
  look.text = std::move(text);
  look.font = std::move(font);
  look.textColor = textColor;
  look.insetX = insetX;
  look.insetY = 7;
  look.glass = vantorel(GlassShape::capsule(), tint, tintOpacity, true, 0.8);
  return look;
}

}  // namespace

FolderDetailModalView::FolderDetailModalView(TilewellStore& store, std::function<void()> onDismiss,
                                             std::function<void(const AppItem&)> onLaunchApp,
                                             QWidget* parent, FrameDriver& driver)
    : ModalLayer(folderStyle(), parent, driver),
      store_(store),
      onDismiss_(std::move(onDismiss)),
      onLaunchApp_(std::move(onLaunchApp)) {
  if (!onDismiss_) {
    onDismiss_ = [this] {
      withAnimation(Animation::spring(0.26, 1.0), [&] { store_.activeFolder = std::nullopt; });
    };
  }
  if (!onLaunchApp_) onLaunchApp_ = [this](const AppItem& app) { store_.launchApp(app, {}); };
  QWidget* content = &panel();

  GlassTextField::Look nameLook;
  nameLook.placeholder = "输入文件夹名称...";
  nameLook.font = interfaceFont(22, QFont::Bold);
  nameLook.leadingSymbol = "folder.fill";
  nameLook.leadingPoints = 20;
  nameLook.leadingColor = srgb(0.45, 0.85, 1.0);
  nameLook.trailingSymbol = "pencil";
  nameLook.trailingPoints = 13;
  nameLook.trailingColor = white(0.55);
  nameField_ = new GlassTextField(nameLook, content);
  nameField_->onEdited = [this](const QString& text) { rename(text); };
  nameField_->onSubmit = [this](const QString& text) { rename(text); };

  grid_ = new FolderAppGrid(store_, content);
  grid_->onLaunch = [this](const AppItem& app) { onLaunchApp_(app); };
  grid_->onRemove = [this](const AppItem& app) {
    if (folder_) store_.removeAppFromFolder(folder_->id, app.id);
  };

  GlassButton::Look addLook = capsuleLook("添加同类应用", interfaceFont(12.5, QFont::DemiBold),
                                          Qt::white, cyanTint(), 0.18, 14);
  addLook.symbol = "plus.circle.fill";
  addButton_ = new GlassButton(
      addLook,
      [this] {
        auto menu = buildAddMenu();
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu.release()->popup(addButton_->mapToGlobal(QPoint(0, addButton_->height() + 4)));
      },
      content);
  addButton_->setAccessibleRole(QAccessible::ButtonMenu);
  dissolveButton_ = new GlassButton(
      capsuleLook("解散文件夹", interfaceFont(12.5, QFont::Medium), white(0.85), Qt::white, 0.08,
                  14),
      [this] {
        if (folder_) store_.dissolveFolder(folder_->id);
      },
      content);
  doneButton_ = new GlassButton(
      capsuleLook("完成", interfaceFont(12.5, QFont::DemiBold), Qt::white, greenTint(), 0.22, 20),
      [this] { onDismiss_(); }, content);

  onDimmingClick = [this] { onDismiss_(); };
  observeProperty(this, store_.activeFolder,
                  [this](const std::optional<LaunchFolder>& open, const Transaction& transaction) {
                    follow(open, transaction);
                  });
  observeProperty(this, store_.items, [this](const auto& items, const Transaction& transaction) {
    if (!folder_) return;
    const auto slot = std::find_if(items.begin(), items.end(), [&](const LaunchItem& item) {
      return item.isFolder() && item.id() == folder_->id;
    });
    // Dissolved, or emptied down to nothing: there is no folder left to show.
    if (slot == items.end()) return follow(std::nullopt, transaction);
    follow(*slot->asFolder(), transaction);
  });
  follow(store_.activeFolder, currentTransaction());
}

void FolderDetailModalView::follow(const std::optional<LaunchFolder>& open,
                                   const Transaction& transaction) {
  if (!open) {
    if (folder_) {
      folder_.reset();
      setPresented(false, transaction);
    }
    return;
  }
  const bool another = !folder_ || folder_->id != open->id;
  folder_ = open;
  // The field is the user's while the folder is open: the store may trim or refuse what is
  // typed, and writing that back would fight the typing.
  if (another) {
    nameField_->setText(QString::fromStdString(open->name));
    grid_->scrollTo(0);
  }
  grid_->setApps(open->apps);
  if (another || !isPresented()) {
    setPresented(true, transaction);
  } else {
    relayout();
  }
}

void FolderDetailModalView::rename(const QString& text) {
  if (folder_) store_.updateFolderName(folder_->id, text.toStdString());
}

std::vector<AppItem> FolderDetailModalView::addCandidates() const {
  std::vector<AppItem> candidates;
  for (const LaunchItem& item : store_.items.get())
    if (const AppItem* app = item.asApp()) candidates.push_back(*app);
  return candidates;
}

std::unique_ptr<QMenu> FolderDetailModalView::buildAddMenu() {
  auto menu = std::make_unique<QMenu>();
  styleOverlayMenu(*menu);
  menu->setAccessibleName("添加同类应用");
  for (const AppItem& app : addCandidates()) {
    menu->addAction("添加「" + QString::fromStdString(app.name) + "」", [this, app] {
      if (folder_) store_.addAppToFolder(folder_->id, app);
    });
  }
  return menu;
}

int FolderDetailModalView::layoutPanel(int width) {
  const int inner = width - 2 * kInset;
  int y = kInset;
  const int titleWidth = std::min(static_cast<int>(kTitleMaxWidth), inner);
  const int titleHeight = nameField_->sizeHint().height();
  nameField_->setGeometry((width - titleWidth) / 2, y, titleWidth, titleHeight);
  y += titleHeight + kSpacing;
  const int gridHeight =
      static_cast<int>(std::ceil(std::min(FolderAppGrid::kMaxHeight, grid_->contentHeight(inner))));
  grid_->setGeometry(kInset, y, inner, gridHeight);
  y += gridHeight + kSpacing;
  int rowWidth = 0, rowHeight = 0;
  for (GlassButton* button : {addButton_, dissolveButton_, doneButton_}) {
    rowWidth += button->sizeHint().width();
    rowHeight = std::max(rowHeight, button->sizeHint().height());
  }
  rowWidth += 2 * kButtonSpacing;
  int x = (width - rowWidth) / 2;
  for (GlassButton* button : {addButton_, dissolveButton_, doneButton_}) {
    const QSize size = button->sizeHint();
    button->setGeometry(x, y + (rowHeight - size.height()) / 2, size.width(), size.height());
    x += size.width() + kButtonSpacing;
  }
  y += rowHeight + kInset;
  return y;
}

}  // namespace calyxa
