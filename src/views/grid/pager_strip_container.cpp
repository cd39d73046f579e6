#include "views/grid/pager_strip_container.h"

#include <cmath>

#include "platform/qt/property_observer.h"

namespace calyxa {

PagerStripContainer::PagerStripContainer(PagerMotionController& pager, FrameDriver& driver,
                                         QWidget* parent)
    : QWidget(parent),
      pager_(pager),
      driver_(driver),
      frames_(driver, [this](double now) { return onFrame(now); }) {
  observeChanges(this, pager.changes, {"currentPage", "dragOffsetX"},
                 [this](std::string_view, const Transaction& t) { retarget(t); });
}

void PagerStripContainer::setContent(QWidget* content) {
  content_ = content;
  content->setParent(this);
  placeContent();
  content->show();
}

double PagerStripContainer::targetOffset() const {
  return pager_.dragOffsetX - page_.width() * pager_.currentPage;
}

void PagerStripContainer::setPageSize(QSizeF page) {
  page_ = page;
  resize(page.toSize());
  offset_.jump(targetOffset());
  placeContent();
}

void PagerStripContainer::setTotalPages(int totalPages) {
  totalPages_ = std::max(1, totalPages);
  placeContent();
}

void PagerStripContainer::retarget(const Transaction& transaction) {
  offset_.setTarget(targetOffset(), transaction, driver_.now());
  placeContent();
  if (offset_.isAnimating(driver_.now())) frames_.wake();
}

void PagerStripContainer::placeContent() {
  if (!content_) return;
  const int width = static_cast<int>(std::ceil(page_.width() * totalPages_));
  const int x = static_cast<int>(std::lround(offset_.value(driver_.now())));
  content_->setGeometry(x, 0, width, static_cast<int>(std::ceil(page_.height())));
}

bool PagerStripContainer::onFrame(double now) {
  placeContent();
  return offset_.isAnimating(now);
}

}  // namespace calyxa
