#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>

#include "grid_fixture.h"
#include "support/transaction_recorder.h"
#include "views/grid/edit_mode_arrows.h"
#include "views/grid/folder_icon_preview.h"

namespace calyxa {
namespace {

using namespace calyxa::testing;

// The menu's entries joined by " | ", "-" for a divider and "Title > a b" for a submenu.
std::string entries(const QMenu& menu) {
  std::string result;
  for (const QAction* action : menu.actions()) {
    result += (result.empty() ? "" : " | ") +
              (action->isSeparator() ? "-" : action->text().toStdString());
    if (const QMenu* sub = action->menu()) {
      result += " >";
      for (const QAction* inner : sub->actions())
        result += " " + inner->text().toStdString();
    }
  }
  return result;
}

// Triggers the entry of that text, in the menu or a submenu.
void trigger(QMenu& menu, const std::string& text) {
  for (QAction* action : menu.findChildren<QAction*>())
    if (action->text().toStdString() == text) return action->trigger();
  ADD_FAILURE() << "no entry " << text;
}

void mouse(QWidget& widget, QEvent::Type type, QPointF at) {
  QMouseEvent event(type, at, widget.mapToGlobal(at), Qt::LeftButton,
                    type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(&widget, &event);
}

void click(QWidget& widget, QPointF at) {
  mouse(widget, QEvent::MouseButtonPress, at);
  mouse(widget, QEvent::MouseButtonRelease, at);
}

TEST(CellMenuTest, EntriesFollowTheKindTheFoldersAndThePages) {
  struct Case {
    std::string arrangement;
    const char* item;  // an application's name, or a folder's
    bool editing;
    std::string expected;
  };
  const std::string twoPages = manyApps(40);
  for (const Case& c : std::vector<Case>{
           {"a b c", "a", false,
            "打开「a」 | 以此应用新建同类文件夹... | 在访达 (Finder) 中显示 | - | "
            "编辑位置 (抖动排序模式)"},
           {"[F1: x y] a [F2: z w]", "a", false,
            "打开「a」 | 以此应用新建同类文件夹... | 移入已有文件夹 > 移入「F1」 移入「F2」 | "
            "在访达 (Finder) 中显示 | - | 编辑位置 (抖动排序模式)"},
           {"a [F1: x y]" + twoPages, "F1", true,
            "打开文件夹 / 重命名 / 添加应用 | 解散文件夹 (还原内部应用) | - | 完成位置编辑 | - | "
            "移动到第 1 页 | 移动到第 2 页"},
       }) {
    SCOPED_TRACE(c.arrangement);
    GridFixture grid(c.arrangement);
    grid.store->isEditingPositions = c.editing;
    LaunchItemCell* cell = grid.view->grid()->cellFor(
        std::string(c.item).starts_with("F") ? std::string(c.item) : appID(c.item));
    ASSERT_TRUE(cell);
    QMenu menu;
    cell->fillContextMenu(menu);
    EXPECT_EQ(entries(menu), c.expected);
  }

  // Entries act on the store; the page entries are there with more than one page.
  GridFixture grid("a [F1: x y] [F2: z w]" + twoPages);
  std::vector<std::string> revealed;
  grid.view->setRevealInFileViewer([&](const AppItem& app) { revealed.push_back(app.path); });
  QMenu menu;
  grid.cell("a")->fillContextMenu(menu);
  EXPECT_TRUE(entries(menu).ends_with(" | 移动到第 2 页")) << entries(menu);
  trigger(menu, "在访达 (Finder) 中显示");
  EXPECT_EQ(revealed, std::vector<std::string>{makeApp("a").path});
  TransactionRecorder changes(grid.store->changes);
  trigger(menu, "编辑位置 (抖动排序模式)");
  EXPECT_TRUE(grid.store->isEditingPositions.get());
  EXPECT_TRUE(isSpring(changes.of("isEditingPositions").at(0), 0.26, 1.0));
  trigger(menu, "移入「F2」");
  EXPECT_EQ(look(grid.store).substr(0, 30), "[F1: x y] *[F2: z w a] app0 ap");
  // The move controls' menu lists every page, also when there is one.
  GridFixture single("a b");
  single.store->isEditingPositions = true;
  const EditModeArrows* arrows = single.cell("a")->editControls();
  ASSERT_TRUE(arrows->isVisible());
  QMenu pages;
  arrows->fillPageMenu(pages);
  EXPECT_EQ(entries(pages), "移至第 1 页");
  EXPECT_NEAR(arrows->geometry().top(),
              single.cell("a")->iconFrame().top() - LaunchItemCell::kEditControlsRaise, 1);
}

TEST(CellClickTest, ClicksLaunchOrOpenButDoNothingWhileEditing) {
  GridFixture grid("a b [F: c d]");
  LaunchItemCell& app = *grid.cell("a");
  LaunchItemCell& folder = *grid.view->grid()->cellFor("F");
  const QPointF icon = app.iconFrame().center();

  grid.store->isEditingPositions = true;
  click(app, icon);
  click(folder, folder.iconFrame().center());
  grid.advance(1.0);
  EXPECT_TRUE(grid.store.platform.workspace->opened.empty());
  EXPECT_FALSE(grid.store->activeFolder->has_value());
  EXPECT_EQ(grid.dismissals, 0);
  // The arrows move the slot, the jiggle runs.
  click(*app.editControls(), app.editControls()->rightFrame().center());
  EXPECT_EQ(look(grid.store), "b a [F: c d]");
  grid.render("grid-edit-mode");

  grid.store->isEditingPositions = false;
  TransactionRecorder changes(grid.store->changes);
  click(folder, folder.iconFrame().center());
  ASSERT_TRUE(grid.store->activeFolder->has_value());
  EXPECT_EQ(grid.store->activeFolder->value().name, "F");
  EXPECT_TRUE(isSpring(changes.of("activeFolder").at(0), 0.28, 0.95));
  grid.store->activeFolder = std::nullopt;

  click(app, icon);
  EXPECT_EQ(grid.store->launchingAppID.get(), appID("a"));
  EXPECT_TRUE(app.isLaunching());
  grid.advance(0.1);
  grid.render("grid-launching");
  grid.advance(0.5);
  ASSERT_EQ(grid.store.platform.workspace->opened.size(), 1u);
  EXPECT_EQ(grid.store.platform.workspace->opened[0].path, makeApp("a").path);
  EXPECT_EQ(grid.dismissals, 1);
  EXPECT_FALSE(app.isLaunching());

  // Empty room in a cell, beside the icon, belongs to the backdrop.
  grid.click(QPointF(frameInView(app, *grid.view).topLeft()) + QPointF(3, 3));
  EXPECT_EQ(grid.dismissals, 2);
}

// A drag as the window system delivers it, at points in the cell's own coordinates.
struct DropSender {
  QMimeData mime;
  LaunchItemCell* current = nullptr;
  explicit DropSender(const std::string& id) { mime.setText(QString::fromStdString(id)); }

  // Whether the cell took the drag and proposes a move.
  bool over(LaunchItemCell& cell, QPointF at) {
    if (current != &cell) {
      if (current) {
        QDragLeaveEvent leave;
        QApplication::sendEvent(current, &leave);
      }
      QDragEnterEvent enter(at.toPoint(), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(&cell, &enter);
      if (!enter.isAccepted()) return false;
      current = &cell;
    }
    QDragMoveEvent move(at.toPoint(), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&cell, &move);
    return move.isAccepted() && move.dropAction() == Qt::MoveAction;
  }
  bool drop(LaunchItemCell& cell, QPointF at) {
    over(cell, at);
    QDropEvent event(at, Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&cell, &event);
    current = nullptr;
    return event.isAccepted();
  }
};

TEST(CellDropTest, DraggingOverCellsReordersLiveHighlightsAndMerges) {
  GridFixture grid(manyApps(20));
  grid.advance(1.0);  // past the first throttle interval
  const auto cellOf = [&](int i) -> LaunchItemCell& {
    return *grid.cell("app" + std::to_string(i));
  };
  const QSizeF size = grid.view->grid()->metrics().cell;
  const QPointF corner(4, 4);
  const QPointF centre(size.width() * 0.5, size.height() * 0.45);
  const auto labels = [&] {
    std::vector<std::string> result;
    for (LaunchItemCell* cell : grid.view->grid()->cells())
      result.push_back(cell->labelText().toStdString());
    return result;
  };

  grid.store->draggingItem = appSlot("app0");
  DropSender drag(appID("app0"));
  EXPECT_TRUE(cellOf(0).isBeingDragged());
  // Over another cell far from its icon: the dragged slot takes that place at once.
  EXPECT_TRUE(drag.over(cellOf(5), corner));
  EXPECT_EQ(ids(grid.store->items)[5], appID("app0"));
  // Within the throttle interval nothing more moves.
  grid.advance(0.1);
  EXPECT_TRUE(drag.over(cellOf(9), corner));
  EXPECT_EQ(ids(grid.store->items)[5], appID("app0"));
  // Near another icon's centre: a merge is proposed, and only that cell says so.
  EXPECT_TRUE(drag.over(cellOf(9), centre + QPointF(10, 10)));
  EXPECT_EQ(grid.store->potentialFolderTargetID.get(), appID("app9"));
  std::vector<std::string> expected;
  for (const std::string& id : ids(grid.store->items))
    expected.push_back(id == appID("app9") ? "松手合并文件夹"
                                           : grid.view->grid()->cellFor(id)->item().name());
  EXPECT_EQ(labels(), expected);
  grid.advance(1.0);
  grid.render("grid-merge-target");
  // Leaving it, over the dragged slot's own cell, the proposal goes; back near it, it returns.
  EXPECT_TRUE(drag.over(cellOf(0), centre));
  EXPECT_FALSE(grid.store->potentialFolderTargetID->has_value());
  EXPECT_EQ(cellOf(9).labelText(), QStringLiteral("app9"));
  drag.over(cellOf(9), centre);
  EXPECT_EQ(grid.store->potentialFolderTargetID.get(), appID("app9"));
  // Released: the two make a folder in the target's place; the drag is over.
  EXPECT_TRUE(drag.drop(cellOf(9), centre));
  EXPECT_FALSE(grid.store->draggingItem->has_value());
  const LaunchFolder* folder = grid.store->items.get()[8].asFolder();
  ASSERT_TRUE(folder);
  EXPECT_EQ(folder->apps.size(), 2u);
  grid.advance(1.0);
  EXPECT_FALSE(grid.cell("app9"));
  ASSERT_TRUE(grid.view->grid()->cellFor(folder->id));

  // A drop with nothing dragged is refused.
  EXPECT_FALSE(drag.drop(cellOf(3), centre));
  EXPECT_EQ(grid.store->items->size(), 19u);
}

TEST(CellDropTest, ADragThatEndsElsewhereLeavesTheArrangementWhole) {
  GridFixture grid(manyApps(10));
  LaunchItemCell& cell = *grid.cell("app2");
  const auto before = ids(grid.store->items);
  // Escape ends a drag that runs its own loop; elsewhere it ends at once, dropped on nothing.
  QTimer::singleShot(0, &cell, [&] {
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&cell, &escape);
  });
  const QPointF at = cell.iconFrame().center();
  mouse(cell, QEvent::MouseButtonPress, at);
  mouse(cell, QEvent::MouseMove, at + QPointF(40, 0));
  EXPECT_FALSE(grid.store->draggingItem->has_value());
  EXPECT_FALSE(grid.store->potentialFolderTargetID->has_value());
  EXPECT_EQ(ids(grid.store->items), before);
  EXPECT_FALSE(cell.isDragSource());
}

TEST(CellLookTest, NamesStayInsideTheirCellsAndFoldersShowNineIcons) {
  const std::vector<AppItem> apps = {
      makeApp(std::string(300, 'W')), makeApp("تطبيق عربي طويل جدا للاختبار هنا"),
      makeApp("😀🎉🚀🌈🍕🎈🎁🎂🍩🍪 Party"), makeApp(""), makeApp("网易云音乐")};
  GridFixture grid("");
  std::map<std::string, AppItem> catalogue;
  for (const AppItem& app : apps)
    catalogue.emplace(app.id, app);
  std::vector<AppItem> twelve;
  for (int i = 0; i < 12; ++i)
    twelve.push_back(makeApp("in" + std::to_string(i)));
  auto items = slots(apps);
  items.push_back(LaunchItem::folder(LaunchFolder("F", "十二个应用", twelve)));
  grid.store->allAppsMap = catalogue;
  grid.store->items = items;
  grid.advance(0.5);
  grid.render("grid-hard-names");

  for (const AppItem& app : apps) {
    SCOPED_TRACE(app.name.substr(0, 20));
    LaunchItemCell& cell = *grid.view->grid()->cellFor(app.id);
    QImage image(cell.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    cell.render(&image, {}, {}, QWidget::DrawChildren);
    const QRectF label = cell.labelFrame();
    int left = image.width(), right = -1;
    for (int y = static_cast<int>(label.top()); y < label.bottom(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (qAlpha(image.pixel(x, y)) > 200 && qGray(image.pixel(x, y)) > 200) {
          left = std::min(left, x);
          right = std::max(right, x);
        }
    if (app.name.empty()) {
      EXPECT_EQ(right, -1);
      continue;
    }
    EXPECT_GE(right, left);
    EXPECT_GE(left, label.left() - 1);
    EXPECT_LE(right, label.right() + 1);
  }

  // The folder tile shows the first nine of its twelve, in order.
  std::vector<std::string> asked;
  FolderIconPreview::render(*items.back().asFolder(), 90, false, 1.0, [&](const AppItem& app, int) {
    asked.push_back(app.name);
    return QImage();
  });
  EXPECT_EQ(asked, std::vector<std::string>(
                       {"in0", "in1", "in2", "in3", "in4", "in5", "in6", "in7", "in8"}));
  const auto frames = FolderIconPreview::miniIconFrames(90, 12);
  ASSERT_EQ(frames.size(), 9u);
  EXPECT_NEAR(frames[0].width(), (90 - 20) / 3.0, 1e-9);
  EXPECT_NEAR(frames[1].left() - frames[0].right(), 3.5, 1e-9);
  EXPECT_TRUE(QRectF(0, 0, 90, 90).contains(frames[0].united(frames[8])));
}

}  // namespace
}  // namespace calyxa
