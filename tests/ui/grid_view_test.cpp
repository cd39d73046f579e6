#include <gtest/gtest.h>

#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>

#include "grid_fixture.h"
#include "support/transaction_recorder.h"
#include "views/empty_search_state.h"
#include "views/grid/bottom_pagination_dots_view.h"
#include "views/grid/page_edge_drop_zone.h"
#include "views/grid/pager_strip_container.h"
#include "views/presentation_effect.h"
#include "views/search_bar.h"
#include "views/status_toast_view.h"

namespace calyxa {
namespace {

using namespace calyxa::testing;

QPointF centreIn(const QWidget& widget, const QWidget& root) {
  return QRectF(frameInView(widget, root)).center();
}

TEST(GridLayoutTest, SizesFollowTheViewAndTheNotch) {
  struct Case {
    QSize view;
    double notch, inset, width, height, pageHeight, gridWidth, cellWidth, cellHeight;
  };
  for (const Case& c : {
           Case{{1280, 800}, 0, 28, 1280, 800, 668, 1139.2, 162.743, 126.92},
           Case{{1280, 800}, 37, 53, 1280, 800, 643, 1139.2, 162.743, 122.17},
           Case{{1440, 900}, 0, 28, 1440, 900, 768, 1281.6, 183.086, 145.92},
           Case{{900, 600}, 0, 28, 1024, 700, 568, 911.36, 130.194, 107.92},
       }) {
    SCOPED_TRACE(::testing::Message()
                 << c.view.width() << "x" << c.view.height() << " " << c.notch);
    GridFixture grid(manyApps(40), c.view);
    grid.view->setNotchHeight(c.notch);
    const OverlayMetrics& m = grid.view->metrics();
    EXPECT_EQ(m.topInset, c.inset);
    EXPECT_EQ(m.searchBandHeight(), c.inset + 54);
    EXPECT_EQ(m.content, QSizeF(c.width, c.height));
    // The content is centred, overflowing a small window on both sides.
    EXPECT_EQ(grid.view->mainColumn()->geometry(),
              QRect(static_cast<int>(c.view.width() - c.width) / 2,
                    static_cast<int>(c.view.height() - c.height) / 2, c.width, c.height));
    EXPECT_EQ(grid.view->pageArea()->geometry(), QRect(0, c.inset + 54, c.width, c.pageHeight));
    const PageGridMetrics& g = grid.view->grid()->metrics();
    EXPECT_NEAR(g.grid.width(), c.gridWidth, 1e-3);
    EXPECT_NEAR(g.cell.width(), c.cellWidth, 1e-3);
    EXPECT_NEAR(g.cell.height(), c.cellHeight, 1e-2);
    const LaunchItemCell* first = grid.cell("app0");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->size(), g.cell.toSize());
    EXPECT_EQ(first->iconSide(), iconSideForCell(g.cell));
    // The first row starts at the grid's leading edge, centred in the page.
    EXPECT_NEAR(first->x(), (c.width - c.gridWidth) / 2, 1);
  }
  // Margins: m = 66 on a 1200-wide page is at least 56; 49.5 on a 900-wide one is not.
  EXPECT_NEAR(PageGridMetrics::forPage({1200, 700}).grid.width(), 1068, 1e-9);
  EXPECT_NEAR(PageGridMetrics::forPage({1200, 700}).cell.width(), 152.571, 1e-3);
  EXPECT_NEAR(PageGridMetrics::forPage({900, 700}).grid.width(), 788, 1e-9);
  EXPECT_EQ(PageGridMetrics::forPage({600, 300}).grid, QSizeF(700, 450));
  // Icons: min(w / 2, 0.62 h) clamped to 78 … 92.
  EXPECT_EQ(iconSideForCell({120, 150}), 78);
  EXPECT_EQ(iconSideForCell({200, 200}), 92);
  EXPECT_NEAR(iconSideForCell({170, 140}), 85, 1e-9);
  // A short last row is centred: 3 slots on a page sit in the middle of the first row's frame.
  const PageGridMetrics g = PageGridMetrics::forPage({1400, 700});
  EXPECT_NEAR(g.slotRect(1, 3).center().x(), 700, 1e-9);
  EXPECT_NEAR(g.slotRect(0, 3).center().y(), 350, 1e-9);
}

TEST(GridPagesTest, DotsStripAndPagesFollowThePager) {
  GridFixture one(manyApps(20));
  EXPECT_FALSE(one.view->dots()->isVisible());

  GridFixture grid(manyApps(80));
  BottomPaginationDotsView& dots = *grid.view->dots();
  ASSERT_TRUE(dots.isVisible());
  EXPECT_EQ(dots.dotFrame(0).size(), QSizeF(18, 6.5));
  EXPECT_EQ(dots.dotFrame(1).size(), QSizeF(6.5, 6.5));
  EXPECT_EQ(dots.dotFrame(2).left() - dots.dotFrame(1).right(), 8);
  grid.render("grid-1440x900");

  // A click on the third dot turns the pages with a spring; the strip follows over time.
  TransactionRecorder pager(grid.store.pager.changes);
  const QPointF dot =
      QPointF(dots.mapTo(grid.view.get(), QPoint(0, 0))) + dots.dotFrame(2).center();
  grid.click(dot);
  EXPECT_EQ(grid.store.pager.currentPage, 2);
  EXPECT_TRUE(isSpring(pager.of("currentPage").at(0), 0.35 - 0.15 * (1100 - 80) / 2920, 1.0));
  const double pageWidth = grid.view->strip()->pageWidth();
  QWidget& content = *grid.view->strip()->content();
  grid.advance(0.05);
  EXPECT_LT(content.x(), 0);
  EXPECT_GT(content.x(), -2 * pageWidth);
  grid.advance(1.0);
  EXPECT_EQ(content.x(), -2 * pageWidth);
  EXPECT_EQ(dots.dotFrame(2).width(), 18);
  EXPECT_EQ(dots.dotFrame(0).width(), 6.5);
  // Cells of the page shown exist; those of page 0 were let go.
  EXPECT_TRUE(grid.cell("app70"));
  EXPECT_FALSE(grid.cell("app0"));
  grid.render("grid-page-3");
}

TEST(GridPagesTest, StripOffsetIsTheDragOffsetLessThePagesBefore) {
  const auto scheduler = ManualScheduler::make();
  FrameDriver driver(scheduler->clock(), scheduler->mainQueue());
  PagerMotionController pager;
  pager.pageCount = 4;
  PagerStripContainer strip(pager, driver);
  auto* content = new QWidget;  // owned by the strip
  strip.setContent(content);
  strip.setPageSize({1200, 700});
  strip.setTotalPages(3);
  EXPECT_EQ(content->geometry(), QRect(0, 0, 3600, 700));

  pager.switchPageAnimated(2);
  scheduler->advance(1.0);
  EXPECT_EQ(content->x(), -2400);
  // A finger drag moves the strip at once, without animation.
  pager.updateInteractiveDrag(-30);
  EXPECT_EQ(content->x(), -2430);
  // Too short a pull springs back, animated.
  pager.finishInteractiveDrag(0, 1200);
  EXPECT_EQ(content->x(), -2430);
  scheduler->advance(0.05);
  EXPECT_GT(content->x(), -2430);
  EXPECT_LT(content->x(), -2400);
  scheduler->advance(1.0);
  EXPECT_EQ(content->x(), -2400);
}

TEST(GridDismissalTest, BackdropClickClosesTheFrontmostThingFirst) {
  struct Case {
    bool settings, folder, editing, onboarding;
    const char* closes;  // the property changed, or "dismiss", or ""
    double response;
  };
  for (const Case& c :
       {Case{true, true, true, false, "showSettings", 0.24},
        Case{false, true, true, true, "activeFolder", 0.26},
        Case{false, false, true, true, "isEditingPositions", 0.24},
        Case{false, false, false, true, "", 0}, Case{false, false, false, false, "dismiss", 0}}) {
    SCOPED_TRACE(c.closes);
    const std::string closes = c.closes;
    GridFixture grid("a b [F: c d]");
    grid.store->showSettings = c.settings;
    if (c.folder) grid.store->activeFolder = *grid.store->items->back().asFolder();
    grid.store->isEditingPositions = c.editing;
    grid.store->showOnboarding = c.onboarding;
    TransactionRecorder changes(grid.store->changes);
    // Empty space beside the grid is backdrop.
    grid.click(QPointF(20, 450));
    EXPECT_EQ(grid.dismissals, closes == "dismiss" ? 1 : 0);
    EXPECT_FALSE(grid.store->showSettings.get());
    EXPECT_EQ(grid.store->activeFolder->has_value(), c.folder && closes != "activeFolder");
    EXPECT_EQ(grid.store->isEditingPositions.get(), c.editing && closes != "isEditingPositions");
    ASSERT_EQ(changes.changes.size(), c.response > 0 ? 1u : 0u);
    if (c.response > 0) {
      EXPECT_EQ(changes.changes[0].property, c.closes);
      EXPECT_TRUE(isSpring(changes.changes[0].transaction, c.response, 1.0));
    }
  }
}

TEST(GridSearchTest, TypingCountsAndClearingAndTheEmptyStateReplacesThePages) {
  GridFixture grid(manyApps(12) + " 音乐 [Tools: app20 app21]");
  SearchCapsule& capsule = *grid.view->searchBar()->capsule();
  EXPECT_EQ(capsule.field()->placeholderText(), QStringLiteral("搜索"));
  EXPECT_TRUE(capsule.counterText().isEmpty());
  EXPECT_FALSE(capsule.clearButton()->isVisible());

  // Keys typed into the field reach the store's search text.
  for (const QChar key : QStringLiteral("app1")) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(key));
    QApplication::sendEvent(capsule.field(), &press);
  }
  EXPECT_EQ(grid.store->searchText.get(), "app1");
  EXPECT_EQ(grid.store->filteredItems().size(), 3u);  // app1, app10, app11
  EXPECT_EQ(capsule.counterText(), QStringLiteral("3"));
  EXPECT_TRUE(capsule.clearButton()->isVisible());
  EXPECT_TRUE(grid.view->strip()->isVisible());
  EXPECT_FALSE(grid.view->emptyState()->isVisible());

  // Return launches the first result.
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(capsule.field(), &enter);
  EXPECT_EQ(grid.store->launchingAppID.get(), appID("app1"));
  grid.advance(1.0);
  EXPECT_EQ(grid.dismissals, 1);

  grid.store->searchText = "zzz";
  EXPECT_FALSE(grid.view->strip()->isVisible());
  EXPECT_TRUE(grid.view->emptyState()->isVisible());
  EXPECT_EQ(grid.view->emptyState()->message(), QStringLiteral("未找到「zzz」"));
  EXPECT_EQ(capsule.counterText(), QStringLiteral("0"));
  EXPECT_EQ(capsule.field()->text(), QStringLiteral("zzz"));
  grid.render("grid-empty-search");
  grid.click(centreIn(*grid.view->emptyState()->clearButton(), *grid.view));
  EXPECT_EQ(grid.store->searchText.get(), "");
  EXPECT_TRUE(grid.view->strip()->isVisible());
  EXPECT_FALSE(capsule.clearButton()->isVisible());

  // The clear button of the capsule eases the text away.
  grid.store->searchText = "音";
  TransactionRecorder changes(grid.store->changes);
  grid.click(centreIn(*capsule.clearButton(), *grid.view));
  EXPECT_EQ(grid.store->searchText.get(), "");
  EXPECT_EQ(changes.of("searchText").at(0).animation, Animation::easeOut(0.18));

  // Nothing at all to show: the empty state, even without a search.
  arrange(grid.store, "");
  EXPECT_TRUE(grid.view->emptyState()->isVisible());
  EXPECT_FALSE(grid.view->strip()->isVisible());
}

TEST(GridSettingsTest, SettingsButtonTogglesWithItsHelpText) {
  GridFixture grid("a b");
  PaintedButton& settings = *grid.view->searchBar()->settingsButton();
  EXPECT_EQ(settings.toolTip(), QStringLiteral("打开设置与开机自启开关"));
  // 32 points from the trailing edge.
  EXPECT_EQ(frameInView(settings, *grid.view).right() + 1, 1440 - 32);
  TransactionRecorder changes(grid.store->changes);
  grid.click(centreIn(settings, *grid.view));
  EXPECT_TRUE(grid.store->showSettings.get());
  ASSERT_FALSE(changes.of("showSettings").empty());
  EXPECT_TRUE(isSpring(changes.of("showSettings").back(), 0.26, 1.0));
  grid.click(centreIn(settings, *grid.view));
  EXPECT_FALSE(grid.store->showSettings.get());
}

TEST(GridEdgeZoneTest, ZonesShowWhileDraggingAndMoveTheItemToTheNeighbouringPage) {
  GridFixture grid(manyApps(80));
  PageEdgeDropZone& left = *grid.view->edgeZone(true);
  PageEdgeDropZone& right = *grid.view->edgeZone(false);
  EXPECT_FALSE(left.isVisible());
  // Nothing dragged: refused, nothing changes.
  EXPECT_FALSE(right.performDrop());
  EXPECT_EQ(look(grid.store), manyApps(80).substr(1));

  grid.store->draggingItem = appSlot("app3");
  EXPECT_TRUE(left.isVisible());
  EXPECT_TRUE(right.isVisible());
  EXPECT_EQ(frameInView(left, *grid.view), QRect(0, 80, 44, 900 - 160));
  EXPECT_EQ(frameInView(right, *grid.view), QRect(1440 - 44, 80, 44, 900 - 160));
  grid.render("grid-dragging");
  grid.store->searchText = "app";
  EXPECT_FALSE(right.isVisible());
  grid.store->searchText = "";

  // On page 0, the left zone keeps the item on page 0; the right zone takes it to page 1.
  EXPECT_EQ(left.targetPage(), 0);
  EXPECT_EQ(right.targetPage(), 1);
  QMimeData mime;
  mime.setText(QString::fromStdString(appID("app3")));
  QDragEnterEvent enter(QPoint(20, 20), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&right, &enter);
  EXPECT_TRUE(right.isTargeted());
  QDropEvent drop(QPointF(20, 20), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&right, &drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_EQ(ids(grid.store->items)[35], appID("app3"));
  EXPECT_EQ(grid.store.pager.currentPage, 1);
  EXPECT_FALSE(grid.store->draggingItem->has_value());
  EXPECT_FALSE(right.isVisible());
  // The toast rises from the bottom edge and fades in.
  StatusToastView& toast = *grid.view->toast();
  EXPECT_EQ(toast.text(), QStringLiteral("已将「app3」移至第 2 页"));
  grid.advance(0.05);
  EXPECT_GT(toast.presence(), 0.0);
  EXPECT_LT(toast.presence(), 1.0);
  grid.advance(1.0);
  EXPECT_EQ(toast.presence(), 1.0);
  EXPECT_NEAR(frameInView(toast, *grid.view).top() + toast.capsuleFrame().bottom(),
              900 - StatusToastView::kBottomDistance, 1);
  grid.render("grid-toast");
  grid.advance(2.0);  // the store takes it away after 1.8 s
  EXPECT_EQ(toast.presence(), 0.0);
}

TEST(GridMotionTest, CellsMoveFromTheirOldSlotWithTheChangesAnimation) {
  GridFixture grid(manyApps(20));
  LaunchItemCell& moved = *grid.cell("app3");
  const QRectF from = grid.view->grid()->slotFrame(3);
  const QRectF to = grid.view->grid()->slotFrame(4);
  EXPECT_EQ(moved.pos(), from.topLeft().toPoint());
  grid.store->moveItemStep(appSlot("app3"), 1);  // a spring of 0.26
  grid.advance(0.06);
  EXPECT_GT(moved.x(), from.left() + 2);
  EXPECT_LT(moved.x(), to.left() - 2);
  grid.advance(1.0);
  EXPECT_EQ(moved.pos(), to.topLeft().toPoint());
  EXPECT_EQ(grid.cell("app4")->pos(), from.topLeft().toPoint());
  // Without animation the cell jumps.
  withoutAnimation(
      [&] { grid.store->items.mutate([](auto& items) { std::swap(items[3], items[4]); }); });
  EXPECT_EQ(moved.pos(), from.topLeft().toPoint());
}

TEST(GridPresentationTest, ContentEntersAndLeavesWithIsPresented) {
  GridFixture grid("a b");
  PresentationEffect& effect = *grid.view->presentation();
  EXPECT_EQ(effect.presence(), 1.0);
  EXPECT_FALSE(effect.isEnabled());
  withAnimation(Animation::easeOut(0.2), [&] { grid.store->isPresented = false; });
  EXPECT_TRUE(grid.view->mainColumn()->testAttribute(Qt::WA_TransparentForMouseEvents));
  grid.advance(0.1);
  EXPECT_GT(effect.presence(), 0.0);
  EXPECT_LT(effect.presence(), 1.0);
  EXPECT_TRUE(effect.isEnabled());
  grid.render("grid-leaving");
  grid.advance(0.2);
  EXPECT_EQ(effect.presence(), 0.0);
  EXPECT_EQ(effect.scale(), 0.92);
  EXPECT_EQ(effect.blurRadius(), 14.0);
  withAnimation(Animation::spring(0.3, 1.0), [&] { grid.store->isPresented = true; });
  EXPECT_FALSE(grid.view->mainColumn()->testAttribute(Qt::WA_TransparentForMouseEvents));
  grid.advance(2.0);
  EXPECT_EQ(effect.presence(), 1.0);
  EXPECT_FALSE(effect.isEnabled());
}

}  // namespace
}  // namespace calyxa
