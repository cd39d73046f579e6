#include "views/tilewell_view.h"

#include <QMouseEvent>
#include <cmath>

#include "catalogue/tilewell_store.h"
#include "platform/qt/file_viewer.h"
#include "platform/qt/property_observer.h"
#include "views/effects/vitrel_ambient_backdrop.h"
#include "views/empty_search_state.h"
#include "views/grid/bottom_pagination_dots_view.h"
#include "views/grid/page_edge_drop_zone.h"
#include "views/grid/paged_grid_content.h"
#include "views/grid/pager_strip_container.h"
#include "views/modal_slot.h"
#include "views/presentation_effect.h"
#include "views/search_bar.h"
#include "views/status_toast_view.h"

namespace calyxa {
namespace {

constexpr double kEdgeZoneInset = 80.0;
constexpr double kDotsSpaceAbove = 6.0;

int near(double v) {
  return static_cast<int>(std::lround(v));
}

QRect pixelRect(const QRectF& r) {
  return QRect(near(r.left()), near(r.top()), near(r.width()), near(r.height()));
}

}  // namespace

TilewellView::TilewellView(TilewellStore& store, std::function<void()> onDismiss, QWidget* parent,
                           FrameDriver& driver)
    : QWidget(parent),
      store_(store),
      onDismiss_(std::move(onDismiss)),
      driver_(driver),
      metrics_(OverlayMetrics::forView(QSizeF(1440, 900))),
      frames_(driver, [this](double now) { return onFrame(now); }) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  reveal_ = [root = SystemRoot::fromEnvironment()](const AppItem& app) {
    revealInFileViewer(root.resolve(app.path));
  };
  const ItemMenuActions actions{
      [this](const AppItem& app) { launch(app); },
      [this](const LaunchFolder& folder) { openFolder(folder); },
      [this](const AppItem& app) {
        if (reveal_) reveal_(app);
      },
  };

  // Children are owned by this view (Qt parents); their creation order is the stacking order.
  backdrop_ = new VitrelAmbientBackdrop(this);
  column_ = new QWidget(this);
  presentation_ = new PresentationEffect(0.92, 14.0, column_);
  column_->setGraphicsEffect(presentation_);
  searchBar_ = new SearchBar(store, column_);
  searchBar_->capsule()->onSubmit = [this] { submitSearch(); };
  pageArea_ = new QWidget(column_);
  strip_ = new PagerStripContainer(store.pager, driver, pageArea_);
  grid_ = new PagedGridContent(store, actions, driver);
  strip_->setContent(grid_);
  empty_ = new EmptySearchState(store, pageArea_);
  dots_ = new BottomPaginationDotsView(store.pager, driver, column_);
  leftZone_ = new PageEdgeDropZone(true, store, this);
  rightZone_ = new PageEdgeDropZone(false, store, this);
  folderSlot_ = std::make_unique<ModalSlot>(this, driver);
  settingsSlot_ = std::make_unique<ModalSlot>(this, driver);
  toast_ = new StatusToastView(store, driver, this);
  onboardingSlot_ = std::make_unique<ModalSlot>(this, driver);

  observeChanges(this, store.changes, {"items", "searchText", "allAppsMap"},
                 [this](std::string_view, const Transaction&) { refreshPages(); });
  observeChanges(this, store.changes, {"draggingItem", "searchText"},
                 [this](std::string_view, const Transaction&) { refreshEdgeZones(); });
  observeProperty(this, store.isPresented,
                  [this](bool, const Transaction& t) { refreshPresented(t); });
  observeProperty(this, store.activeFolder,
                  [this](const std::optional<LaunchFolder>& folder, const Transaction& t) {
                    folderSlot_->setPresent(
                        folder.has_value(), t,
                        folder ? QString::fromStdString(folder->id) : QString());
                    restack();
                  });
  observeProperty(this, store.showSettings, [this](bool on, const Transaction& t) {
    settingsSlot_->setPresent(on, t);
    restack();
  });
  observeProperty(this, store.showOnboarding, [this](bool on, const Transaction& t) {
    onboardingSlot_->setPresent(on, t);
    restack();
  });

  presented_.jump(store.isPresented ? 1.0 : 0.0);
  refreshPresented(Transaction{});
  refreshPages();
  refreshEdgeZones();
  resize(1440, 900);
  relayout();
}

TilewellView::~TilewellView() = default;

void TilewellView::setFolderModalFactory(FolderModalFactory factory) {
  folderFactory_ = std::move(factory);
  folderSlot_->setFactory([this](QWidget* parent) -> QWidget* {
    const auto& folder = store_.activeFolder.get();
    if (!folderFactory_ || !folder) return nullptr;
    TilewellStore* store = &store_;
    return folderFactory_(
        parent, *folder,
        [store] {
          withAnimation(Animation::spring(0.26, 1.0),
                        [store] { store->activeFolder = std::nullopt; });
        },
        [this](const AppItem& app) { launch(app); });
  });
}

void TilewellView::setSettingsModalFactory(ModalFactory factory) {
  settingsSlot_->setFactory(std::move(factory));
}

void TilewellView::setOnboardingModalFactory(ModalFactory factory) {
  onboardingSlot_->setFactory(std::move(factory));
}

void TilewellView::setRevealInFileViewer(std::function<void(const AppItem&)> reveal) {
  reveal_ = std::move(reveal);
}

void TilewellView::setNotchHeight(double height) {
  notchHeight_ = height;
  relayout();
}

QWidget* TilewellView::folderModal() const {
  return folderSlot_->widget();
}
QWidget* TilewellView::settingsModal() const {
  return settingsSlot_->widget();
}
QWidget* TilewellView::onboardingModal() const {
  return onboardingSlot_->widget();
}

void TilewellView::launch(const AppItem& app) {
  store_.launchApp(app, onDismiss_);
}

void TilewellView::openFolder(const LaunchFolder& folder) {
  withAnimation(Animation::spring(0.28, 0.95), [&] { store_.activeFolder = folder; });
}

void TilewellView::dismissFromBackdrop() {
  if (store_.showSettings) {
    withAnimation(Animation::spring(0.24, 1.0), [this] { store_.showSettings = false; });
  } else if (store_.activeFolder->has_value()) {
    withAnimation(Animation::spring(0.26, 1.0), [this] { store_.activeFolder = std::nullopt; });
  } else if (store_.isEditingPositions) {
    withAnimation(Animation::spring(0.24, 1.0), [this] { store_.isEditingPositions = false; });
  } else if (store_.showOnboarding) {
    // The guide is closed from inside only.
  } else if (onDismiss_) {
    onDismiss_();
  }
}

void TilewellView::submitSearch() {
  const std::vector<LaunchItem>& shown = store_.filteredItems();
  if (shown.empty()) return;
  const LaunchItem first = shown.front();
  if (const AppItem* app = first.asApp()) {
    launch(*app);
  } else if (const LaunchFolder* folder = first.asFolder()) {
    openFolder(*folder);
  }
}

void TilewellView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  relayout();
}

void TilewellView::relayout() {
  metrics_ = OverlayMetrics::forView(QSizeF(size()), notchHeight_);
  const QRect content = pixelRect(metrics_.contentIn);
  const double W = metrics_.content.width();
  const double H = metrics_.content.height();
  column_->setGeometry(content);
  searchBar_->move(0, 0);
  searchBar_->setBand(W, metrics_.topInset);

  const QRectF page = metrics_.pageArea();
  pageArea_->setGeometry(pixelRect(page));
  grid_->setPageSize(page.size());
  strip_->setPageSize(page.size());
  strip_->move(0, 0);
  refreshPages();

  const QSize dots = dots_->sizeHint();
  dots_->setGeometry(near((W - dots.width()) / 2),
                     near(H - OverlayMetrics::kDotsBandHeight + kDotsSpaceAbove), dots.width(),
                     dots.height());

  const int zoneHeight = std::max(0, near(H - 2 * kEdgeZoneInset));
  const int zoneWidth = near(PageEdgeDropZone::kWidth);
  leftZone_->setGeometry(content.left(), content.top() + near(kEdgeZoneInset), zoneWidth,
                         zoneHeight);
  rightZone_->setGeometry(content.right() + 1 - zoneWidth, content.top() + near(kEdgeZoneInset),
                          zoneWidth, zoneHeight);
  toast_->setGeometry(content);
  folderSlot_->setGeometry(content);
  settingsSlot_->setGeometry(content);
  onboardingSlot_->setGeometry(content);
}

void TilewellView::refreshPages() {
  const int pages = store_.pageCount();
  strip_->setTotalPages(pages);
  dots_->setTotalPages(pages);
  const QSize dots = dots_->sizeHint();
  dots_->setGeometry(near((metrics_.content.width() - dots.width()) / 2), dots_->y(), dots.width(),
                     dots.height());
  const bool empty = store_.filteredItems().empty();
  strip_->setVisible(!empty);
  empty_->setVisible(empty);
  if (empty) empty_->centreIn(QRectF(QPointF(0, 0), QSizeF(pageArea_->size())));
}

void TilewellView::refreshEdgeZones() {
  const bool shown = store_.draggingItem->has_value() && store_.searchText->empty();
  leftZone_->setVisible(shown);
  rightZone_->setVisible(shown);
  if (shown) restack();
}

void TilewellView::refreshPresented(const Transaction& transaction) {
  const bool presented = store_.isPresented;
  column_->setAttribute(Qt::WA_TransparentForMouseEvents, !presented);
  presented_.setTarget(presented ? 1.0 : 0.0, transaction, driver_.now());
  onFrame(driver_.now());
  if (presented_.isAnimating(driver_.now())) frames_.wake();
}

bool TilewellView::onFrame(double now) {
  const double presence = presented_.value(now);
  presentation_->setPresence(presence);
  presentation_->setEnabled(presence < 1.0);
  return presented_.isAnimating(now);
}

void TilewellView::restack() {
  column_->raise();
  leftZone_->raise();
  rightZone_->raise();
  if (QWidget* modal = folderSlot_->widget()) modal->raise();
  if (QWidget* modal = settingsSlot_->widget()) modal->raise();
  toast_->raise();
  if (QWidget* modal = onboardingSlot_->widget()) modal->raise();
}

void TilewellView::mousePressEvent(QMouseEvent* event) {
  backdropPressed_ = event->button() == Qt::LeftButton;
  event->accept();
}

void TilewellView::mouseReleaseEvent(QMouseEvent* event) {
  const bool clicked = std::exchange(backdropPressed_, false) &&
                       event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
  if (clicked) dismissFromBackdrop();
}

}  // namespace calyxa
