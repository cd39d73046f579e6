#include "views/grid/bottom_pagination_dots_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "platform/qt/property_observer.h"
#include "views/view_style.h"

namespace calyxa {

BottomPaginationDotsView::BottomPaginationDotsView(PagerMotionController& pager,
                                                   FrameDriver& driver, QWidget* parent)
    : QWidget(parent), pager_(pager), animator_(this, driver) {
  observeChanges(this, pager.changes, {"currentPage"},
                 [this](std::string_view, const Transaction& t) { retarget(t); });
  setTotalPages(1);
}

void BottomPaginationDotsView::setTotalPages(int totalPages) {
  totalPages = std::max(1, totalPages);
  if (totalPages == totalPages_ && !current_.empty()) return;
  totalPages_ = totalPages;
  current_.clear();
  for (int i = 0; i < totalPages_; ++i) {
    current_.push_back(std::make_unique<Animated<double>>(i == pager_.currentPage ? 1.0 : 0.0));
    animator_.track(*current_.back());
  }
  setVisible(totalPages_ > 1);
  resize(sizeHint());
  updateGeometry();
  update();
}

void BottomPaginationDotsView::retarget(const Transaction&) {
  const double now = animator_.now();
  for (int i = 0; i < totalPages_; ++i) {
    current_[i]->setTarget(i == pager_.currentPage ? 1.0 : 0.0, Animation::spring(0.25, 1.0), now);
  }
  animator_.wake();
}

QSize BottomPaginationDotsView::sizeHint() const {
  const double dots = kCurrentWidth + (totalPages_ - 1) * (kDotHeight + kSpacing);
  return QSize(static_cast<int>(std::ceil(dots + 2 * kPaddingX)),
               static_cast<int>(std::ceil(kDotHeight + 2 * kPaddingY)));
}

QRectF BottomPaginationDotsView::dotFrame(int i) const {
  const double now = animator_.now();
  double x = kPaddingX + (width() - sizeHint().width()) / 2.0;
  for (int j = 0; j < totalPages_; ++j) {
    const double amount = current_[j]->value(now);
    const double w = kDotHeight + (kCurrentWidth - kDotHeight) * amount;
    if (j == i) return QRectF(x, (height() - kDotHeight) / 2, w, kDotHeight);
    x += w + kSpacing;
  }
  return {};
}

void BottomPaginationDotsView::paintEvent(QPaintEvent*) {
  if (totalPages_ <= 1) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF all(QPointF(0, 0), QSizeF(size()));
  const VantorelModifier glass = vantorel(GlassShape::capsule(), Qt::white, 0.07, true, 0.7);
  glass_.paint(painter, glass, all, [&](QPainter& p) {
    const double now = animator_.now();
    p.setPen(Qt::NoPen);
    for (int i = 0; i < totalPages_; ++i) {
      const double amount = current_[i]->value(now);
      p.setBrush(white(0.35 + 0.65 * amount));
      const QRectF dot = dotFrame(i);
      p.drawRoundedRect(dot, kDotHeight / 2, kDotHeight / 2);
    }
  });
}

void BottomPaginationDotsView::mousePressEvent(QMouseEvent* event) {
  event->accept();
}

void BottomPaginationDotsView::mouseReleaseEvent(QMouseEvent* event) {
  for (int i = 0; i < totalPages_; ++i) {
    const QRectF hit = dotFrame(i).adjusted(-kHitOutset, -kHitOutset, kHitOutset, kHitOutset);
    if (hit.contains(event->position())) {
      pager_.switchPageAnimated(i, kVelocityHint);
      return;
    }
  }
}

}  // namespace calyxa
