#include "views/modals/quick_settings_modal_view.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QPainter>

#include "platform/qt/property_observer.h"
#include "views/controls/glass_tints.h"
#include "views/symbols/symbol_glyph.h"

namespace calyxa {
namespace {

constexpr int kInset = 26;
constexpr int kSpacing = 18;
constexpr int kHeaderHeight = 44;

GlassButton::Look actionLook(QString text, std::string symbol, QColor textColor, QColor tint,
                             double tintOpacity) {
  GlassButton::Look look;
  look.text = std::move(text);
  look.symbol = std::move(symbol);
  look.font = interfaceFont(12.5, QFont::Medium);
  look.textColor = textColor;
  look.insetX = 8;
  look.insetY = 9;
  look.glass = vantorel(GlassShape::roundedRectangle(12, GlassShape::CornerStyle::continuous), tint,
                        tintOpacity, true, 0.8);
  return look;
}

}  // namespace

QuickSettingsModalView::QuickSettingsModalView(TilewellStore& store, QWidget* parent,
                                               std::function<void()> onQuit, FrameDriver& driver)
    : ModalLayer(raisedPanelStyle(0.48, 540), parent, driver),
      store_(store),
      onQuit_(std::move(onQuit)) {
  QWidget* content = &panel();
  panel().paintContent = [this](QPainter& painter) { paintHeader(painter); };

  GlassButton::Look closeLook;
  closeLook.symbol = "xmark";
  closeLook.symbolPoints = 11;
  closeLook.symbolWeight = SymbolWeight::bold;
  closeLook.font = interfaceFont(12, QFont::Bold);
  closeLook.textColor = white(0.75);
  closeLook.insetX = closeLook.insetY = 8.5;
  closeLook.roundFill = white(0.1);
  closeButton_ = new GlassButton(
      closeLook, [this] { close(); }, content);
  closeButton_->setAccessibleName("关闭");
  closeButton_->setFixedSize(28, 28);

  editRow_ = new GlassRow(content);
  editSwitch_ = new GlassSwitch(
      srgb(0.35, 0.82, 1.0),
      [this](bool requested) {
        withAnimation(closeAnimation(), [&] {
          store_.isEditingPositions = requested;
          // Closing on the way in lets the user see the grid start to wobble.
          if (requested) store_.showSettings = false;
        });
      },
      editRow_, driver);
  editSwitch_->setAccessibleName("图标位置编辑模式 (抖动排序)");
  editRow_->addTrailing(editSwitch_);

  loginRow_ = new LaunchAtLoginSwitchRow(store_, content, driver);

  rescanButton_ = new GlassButton(
      actionLook("重新扫描应用", "arrow.clockwise", Qt::white, Qt::white, 0.08),
      [this] { store_.scanApplications(std::nullopt, /*showToast=*/true); }, content);
  permissionsButton_ = new GlassButton(
      actionLook("系统权限配置", "hand.raised.fill", Qt::white, cyanTint(), 0.14),
      [this] {
        close();
        store_.reopenOnboarding();
      },
      content);
  quitButton_ = new GlassButton(
      actionLook("退出应用", "power", srgb(1.0, 0.62, 0.62), redTint(), 0.14),
      [this] {
        if (onQuit_) {
          onQuit_();
        } else {
          QCoreApplication::quit();
        }
      },
      content);

  GlassButton::Look doneLook;
  doneLook.text = "完成";
  doneLook.font = interfaceFont(13.5, QFont::Bold);
  doneLook.glass = vantorel(GlassShape::roundedRectangle(13, GlassShape::CornerStyle::continuous),
                            cyanTint(), 0.22, true, 1.0);
  doneButton_ = new GlassButton(
      doneLook, [this] { close(); }, content);

  onDimmingClick = [this] { close(); };
  observeProperty(this, store_.showSettings, [this](bool shown, const Transaction& transaction) {
    if (shown != isPresented()) setPresented(shown, transaction);
  });
  observeProperty(this, store_.isEditingPositions, [this](bool on, const Transaction& transaction) {
    showEditing(on, transaction);
  });
  observeProperty(this, store_.allAppsMap,
                  [this](const auto&, const Transaction&) { panel().update(); });
  showEditing(store_.isEditingPositions, Transaction{Animation::none(), true});
  // Made when first asked for: it comes with the transaction that asked.
  if (store_.showSettings) setPresented(true, currentTransaction());
}

void QuickSettingsModalView::close() {
  withAnimation(closeAnimation(), [&] { store_.showSettings = false; });
}

void QuickSettingsModalView::showEditing(bool on, const Transaction& transaction) {
  editRow_->setContent({"square.grid.3x3.topleft.filled", 19,
                        on ? srgb(0.45, 0.85, 1.0) : white(0.65), "图标位置编辑模式 (抖动排序)",
                        std::nullopt, "开启后可点击图标上的快捷箭头或分页菜单调整位置。", 3});
  editSwitch_->setOn(on, transaction);
}

QString QuickSettingsModalView::subtitle() const {
  return QString("v2.9.0 · 已加载 %1 款应用").arg(store_.totalAppsCount());
}

int QuickSettingsModalView::layoutPanel(int width) {
  const int inner = width - 2 * kInset;
  int y = kInset;
  closeButton_->move(width - kInset - 28, y + (kHeaderHeight - 28) / 2);
  y += kHeaderHeight + kSpacing;
  for (GlassRow* row : {editRow_, static_cast<GlassRow*>(loginRow_)}) {
    const int h = row->heightForWidth(inner);
    row->setGeometry(kInset, y, inner, h);
    y += h + kSpacing;
  }
  const int buttonHeight = rescanButton_->sizeHint().height();
  const int buttonWidth = (inner - 2 * 10) / 3;
  int x = kInset;
  for (GlassButton* button : {rescanButton_, permissionsButton_, quitButton_}) {
    // The last one takes the pixels the division left over.
    const int w = button == quitButton_ ? kInset + inner - x : buttonWidth;
    button->setGeometry(x, y, w, buttonHeight);
    x += w + 10;
  }
  y += buttonHeight + kSpacing;
  doneButton_->setGeometry(kInset, y, inner, 38);
  y += 38 + kInset;
  return y;
}

void QuickSettingsModalView::paintHeader(QPainter& painter) {
  const double top = kInset;
  paintSymbol(painter, "gearshape.2.fill", QRectF(kInset, top + (kHeaderHeight - 22) / 2.0, 22, 22),
              srgb(0.45, 0.85, 1.0));
  const double textLeft = kInset + 22 + 10;
  const double textWidth = panel().width() - kInset - 28 - 10 - textLeft;
  const QFont title = interfaceFont(18, QFont::Bold);
  const QFont detail = interfaceFont(11.5, QFont::Medium);
  const QFontMetricsF titleMetrics(title), detailMetrics(detail);
  const double block = titleMetrics.height() + 2 + detailMetrics.height();
  const double y = top + (kHeaderHeight - block) / 2;
  painter.setFont(title);
  painter.setPen(Qt::white);
  painter.drawText(QRectF(textLeft, y, textWidth, titleMetrics.height()),
                   Qt::AlignLeft | Qt::AlignVCenter, "Calyxa Grid 设置");
  painter.setFont(detail);
  painter.setPen(white(0.62));
  painter.drawText(
      QRectF(textLeft, y + titleMetrics.height() + 2, textWidth, detailMetrics.height()),
      Qt::AlignLeft | Qt::AlignVCenter,
      detailMetrics.elidedText(subtitle(), Qt::ElideRight, textWidth));
}

}  // namespace calyxa
