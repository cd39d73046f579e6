#include "views/grid/paged_grid_content.h"

#include <QMoveEvent>
#include <algorithm>
#include <cmath>

#include "catalogue/tilewell_store.h"
#include "views/animation/view_animator.h"

namespace calyxa {

struct PagedGridContent::Entry {
  LaunchItemCell* cell;
  Animated<QPointF> origin;
  int index;
};

namespace {

constexpr int kPerPage = TilewellStore::itemsPerPage;

QPoint rounded(QPointF p) {
  return QPoint(static_cast<int>(std::lround(p.x())), static_cast<int>(std::lround(p.y())));
}

}  // namespace

PagedGridContent::PagedGridContent(TilewellStore& store, ItemMenuActions actions,
                                   FrameDriver& driver, QWidget* parent)
    : QWidget(parent),
      store_(store),
      actions_(std::move(actions)),
      driver_(driver),
      metrics_(PageGridMetrics::forPage(QSizeF(1024, 600))),
      frames_(driver, [this](double now) { return onFrame(now); }) {
  observeChanges(this, store.changes, {"items", "searchText", "allAppsMap"},
                 [this](std::string_view, const Transaction& t) { reload(t); });
  reload(Transaction{});
}

PagedGridContent::~PagedGridContent() = default;

void PagedGridContent::setPageSize(QSizeF page) {
  if (page == metrics_.page) return;
  metrics_ = PageGridMetrics::forPage(page);
  for (auto& [id, entry] : entries_) {
    entry->cell->setCellSize(metrics_.cell);
    entry->origin.jump(slotFrame(entry->index).topLeft());
    entry->cell->move(rounded(entry->origin.target()));
  }
  ensureVisibleCells();
}

QRectF PagedGridContent::slotFrame(int index) const {
  const int page = index / kPerPage;
  const int total = static_cast<int>(shown_.size());
  const int onPage = std::min(kPerPage, total - page * kPerPage);
  return metrics_.slotRect(index % kPerPage, onPage).translated(page * metrics_.page.width(), 0);
}

LaunchItemCell* PagedGridContent::cellFor(const std::string& id) const {
  const auto found = entries_.find(id);
  return found == entries_.end() ? nullptr : found->second->cell;
}

std::vector<LaunchItemCell*> PagedGridContent::cells() const {
  std::vector<const Entry*> sorted;
  for (const auto& [id, entry] : entries_)
    sorted.push_back(entry.get());
  std::sort(sorted.begin(), sorted.end(),
            [](const Entry* a, const Entry* b) { return a->index < b->index; });
  std::vector<LaunchItemCell*> result;
  for (const Entry* entry : sorted)
    result.push_back(entry->cell);
  return result;
}

bool PagedGridContent::isMoving() const {
  const double now = driver_.now();
  return std::any_of(entries_.begin(), entries_.end(),
                     [now](const auto& e) { return e.second->origin.isAnimating(now); });
}

void PagedGridContent::reload(const Transaction& transaction) {
  shown_ = store_.filteredItems();
  std::unordered_map<std::string, int> indices;
  indices.reserve(shown_.size());
  for (int i = 0; i < static_cast<int>(shown_.size()); ++i)
    indices.emplace(shown_[i].id(), i);

  const double now = driver_.now();
  for (auto it = entries_.begin(); it != entries_.end();) {
    const auto found = indices.find(it->first);
    if (found == indices.end()) {
      retire(it->second->cell);
      it = entries_.erase(it);
      continue;
    }
    Entry& entry = *it->second;
    entry.index = found->second;
    entry.cell->setItem(shown_[entry.index]);
    entry.cell->setIndexSeed(entry.index % kPerPage);
    entry.origin.setTarget(slotFrame(entry.index).topLeft(), transaction, now);
    if (!entry.origin.isAnimating(now)) entry.cell->move(rounded(entry.origin.target()));
    ++it;
  }
  ensureVisibleCells();
  if (isMoving()) frames_.wake();
}

std::pair<int, int> PagedGridContent::visiblePages() const {
  const int pages = std::max(1, static_cast<int>((shown_.size() + kPerPage - 1) / kPerPage));
  const double width = metrics_.page.width();
  if (!parentWidget() || width <= 0) return {0, pages - 1};
  const double left = -x();
  const double right = left + parentWidget()->width() - 0.5;
  const int first = std::clamp(static_cast<int>(std::floor(left / width)), 0, pages - 1);
  const int last = std::clamp(static_cast<int>(std::floor(right / width)), 0, pages - 1);
  return {first, last};
}

void PagedGridContent::ensureVisibleCells() {
  const auto [first, last] = visiblePages();
  const int end = std::min(static_cast<int>(shown_.size()), (last + 1) * kPerPage);
  for (int index = first * kPerPage; index < end; ++index) {
    const LaunchItem& item = shown_[index];
    if (entries_.count(item.id())) continue;
    auto* cell = new LaunchItemCell(store_, item, index % kPerPage, metrics_.cell, actions_, this,
                                    driver_);  // owned by this widget
    auto entry = std::make_unique<Entry>(Entry{cell, Animated<QPointF>(QPointF(), 0.05), index});
    entry->origin.jump(slotFrame(index).topLeft());
    cell->move(rounded(entry->origin.target()));
    cell->show();
    entries_.emplace(item.id(), std::move(entry));
  }
}

void PagedGridContent::pruneHiddenCells() {
  const auto [first, last] = visiblePages();
  const double now = driver_.now();
  for (auto it = entries_.begin(); it != entries_.end();) {
    const int page = it->second->index / kPerPage;
    if ((page < first - 1 || page > last + 1) && !it->second->origin.isAnimating(now) &&
        !it->second->cell->isDragSource()) {
      retire(it->second->cell);
      it = entries_.erase(it);
    } else {
      ++it;
    }
  }
}

void PagedGridContent::retire(LaunchItemCell* cell) {
  cell->hide();
  if (cell->isDragSource()) {
    // Its drag is still running inside it: it goes when the drag ends.
    cell->onDragFinished = [cell] { cell->deleteLater(); };
  } else {
    cell->deleteLater();
  }
}

void PagedGridContent::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  ensureVisibleCells();
  if (!isMoving()) pruneHiddenCells();
}

bool PagedGridContent::onFrame(double now) {
  bool moving = false;
  for (auto& [id, entry] : entries_) {
    entry->cell->move(rounded(entry->origin.value(now)));
    moving = moving || entry->origin.isAnimating(now);
  }
  if (!moving) pruneHiddenCells();
  return moving;
}

}  // namespace calyxa
