#include "views/modals/modal_layer.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "views/effects/desktop_snapshot.h"

namespace calyxa {

ModalStyle raisedPanelStyle(double dimOpacity, double panelWidth) {
  ModalStyle style;
  style.dimOpacity = dimOpacity;
  style.panelWidth = panelWidth;
  style.glass = vantorel(GlassShape::roundedRectangle(26, GlassShape::CornerStyle::continuous),
                         Qt::white, 0.12, true, 1.3);
  style.startScale = 0.95;
  return style;
}

// Fades the panel and scales it about its centre while the modal comes or goes; idle otherwise,
// so a shown modal paints its controls directly.
class ModalLayer::Transition final : public QGraphicsEffect {
 public:
  Transition(ModalLayer& layer) : layer_(layer) {}

  // The panel is drawn once per motion: its controls do not change in the fraction of a second
  // it takes, and each frame then only blends one picture.
  void restart() { picture_ = QPixmap(); }

 protected:
  void draw(QPainter* painter) override {
    const double p = std::clamp(layer_.presence(), 0.0, 1.0);
    if (p <= 0.0) return;
    if (picture_.isNull()) picture_ = sourcePixmap(Qt::LogicalCoordinates, &offset_, NoPad);
    const QPixmap& source = picture_;
    const QPoint offset = offset_;
    const double scale = layer_.panelScale();
    const QRectF bounds = boundingRectFor(sourceBoundingRect(Qt::LogicalCoordinates));
    painter->save();
    painter->setOpacity(painter->opacity() * p);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->translate(bounds.center());
    painter->scale(scale, scale);
    painter->translate(-bounds.center());
    painter->drawPixmap(offset, source);
    painter->restore();
  }

 private:
  ModalLayer& layer_;
  QPixmap picture_;
  QPoint offset_;
};

ModalPanel::ModalPanel(const VantorelModifier& glass, QWidget* parent)
    : QWidget(parent), glass_(glass) {}

void ModalPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const QRectF bounds(rect());
  // The glass samples nothing behind it, and behind a modal lies the busy grid: a frosted
  // backing keeps the panel's text readable, as a blur material would.
  painter.fillPath(glass_.shape.path(bounds), QColor::fromRgbF(0.07f, 0.09f, 0.13f, 0.85f));
  cache_.paintBackground(painter, glass_, bounds);
  if (paintContent) {
    painter.save();
    paintContent(painter);
    painter.restore();
  }
  cache_.paintBorder(painter, glass_, bounds);
}

ModalLayer::ModalLayer(ModalStyle style, QWidget* parent, FrameDriver& driver)
    : QWidget(parent),
      style_(std::move(style)),
      panel_(new ModalPanel(style_.glass, this)),
      transition_(new Transition(*this)),
      animator_(this, driver),
      closing_(driver, [this](double) { return watchClosing(); }) {
  animator_.track(presence_);
  panel_->setGraphicsEffect(transition_);
  transition_->setEnabled(false);
  setAttribute(Qt::WA_TransparentForMouseEvents, true);
  // The overlay's place for it leaves the coming and going to the modal.
  setProperty("presentsItself", true);
  hide();
}

void ModalLayer::setPresented(bool presented, const Transaction& transaction) {
  const double now = animator_.now();
  presented_ = presented;
  presence_.setTarget(presented ? 1.0 : 0.0, transaction, now);
  setAttribute(Qt::WA_TransparentForMouseEvents, !presented);
  if (presented) {
    if (parentWidget() && !testAttribute(Qt::WA_Resized)) setGeometry(parentWidget()->rect());
    show();
    raise();
    relayout();
  }
  transition_->setEnabled(presence_.isAnimating(now));
  transition_->restart();
  if (presence_.isAnimating(now)) {
    captureBeneath();
  } else {
    releaseBeneath();
  }
  animator_.wake();
  panel_->update();
  if (watchClosing()) closing_.wake();
}

bool ModalLayer::watchClosing() {
  const bool moving = presence_.isAnimating(animator_.now());
  if (transition_->isEnabled() != moving) transition_->setEnabled(moving);
  if (!moving) {
    releaseBeneath();
    transition_->restart();
  }
  if (presented_ || moving) return moving;
  hide();
  return false;
}

void ModalLayer::captureBeneath() {
  QWidget* parent = parentWidget();
  if (!parent || size().isEmpty()) return;
  const qreal ratio = devicePixelRatioF();
  QImage image((QSizeF(size()) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::black);
  const QRegion area(geometry());
  // What the parent paints itself, then the siblings stacked below this layer, in order; none
  // of them with the palette's background, which the overlay never shows.
  parent->render(&image, QPoint(), area, {});
  for (QObject* child : parent->children()) {
    if (child == this) break;
    auto* sibling = qobject_cast<QWidget*>(child);
    if (!sibling || !sibling->isVisible()) continue;
    const QRect shared = geometry() & sibling->geometry();
    if (shared.isEmpty()) continue;
    sibling->render(&image, shared.topLeft() - pos(), QRegion(shared.translated(-sibling->pos())),
                    QWidget::DrawChildren);
  }
  beneath_ = std::move(image);
  setAttribute(Qt::WA_OpaquePaintEvent, true);
}

void ModalLayer::releaseBeneath() {
  if (beneath_.isNull()) return;
  beneath_ = QImage();
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  update();
}

double ModalLayer::panelScale() const {
  return style_.startScale + (1.0 - style_.startScale) * std::clamp(presence(), 0.0, 1.0);
}

void ModalLayer::relayout() {
  const int height = layoutPanel(static_cast<int>(style_.panelWidth));
  const QSize size(static_cast<int>(style_.panelWidth), height);
  const QRect area = rect();
  panel_->setGeometry(QRect(
      QPoint(area.center().x() - size.width() / 2 + 1, area.center().y() - size.height() / 2 + 1),
      size));
  transition_->restart();
  update();
}

void ModalLayer::resizeEvent(QResizeEvent*) {
  relayout();
}

const QImage& ModalLayer::shadow() {
  const qreal ratio = devicePixelRatioF();
  const double margin = style_.shadowRadius * 1.5;
  const QSizeF size = QSizeF(panel_->size()) + QSizeF(2 * margin, 2 * margin);
  if (shadow_.isNull() || shadow_.devicePixelRatio() != ratio ||
      shadow_.size() != (size * ratio).toSize()) {
    QImage image((size * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
      QPainter p(&image);
      p.setRenderHint(QPainter::Antialiasing);
      p.scale(ratio, ratio);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor::fromRgbF(0, 0, 0, static_cast<float>(style_.shadowOpacity)));
      const double radius = style_.glass.shape.cornerRadius();
      p.drawRoundedRect(QRectF(QPointF(margin, margin), QSizeF(panel_->size())), radius, radius);
    }
    // A shadow's radius is the blur's extent; the kernel's deviation is about half of it.
    shadow_ = blurImage(image, style_.shadowRadius / 2.0 * ratio);
    shadow_.setDevicePixelRatio(ratio);
  }
  return shadow_;
}

void ModalLayer::paintEvent(QPaintEvent*) {
  const double p = std::clamp(presence(), 0.0, 1.0);
  QPainter painter(this);
  if (!beneath_.isNull()) painter.drawImage(QPointF(0, 0), beneath_);
  if (p <= 0.0) return;
  painter.fillRect(rect(), QColor::fromRgbF(0, 0, 0, static_cast<float>(style_.dimOpacity * p)));
  // The shadow follows the panel's fade and scale.
  const double scale = panelScale();
  const QPointF centre = QRectF(panel_->geometry()).center();
  const double margin = style_.shadowRadius * 1.5;
  painter.setOpacity(p);
  painter.translate(centre);
  painter.scale(scale, scale);
  painter.translate(-centre);
  painter.drawImage(QPointF(panel_->x() - margin, panel_->y() - margin + style_.shadowOffsetY),
                    shadow());
}

void ModalLayer::mousePressEvent(QMouseEvent* event) {
  event->accept();
  if (!presented_ || panel_->geometry().contains(event->position().toPoint())) return;
  if (onDimmingClick) onDimmingClick();
}

void ModalLayer::wheelEvent(QWheelEvent* event) {
  // The grid beneath does not page while a modal covers it.
  event->accept();
}

}  // namespace calyxa
