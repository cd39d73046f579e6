#include "views/effects/visual_effect_view.h"

#include <QPaintEvent>
#include <QPainter>
#include <QWindow>

#include "views/effects/desktop_snapshot.h"
#include "views/effects/exposed_image_painter.h"

namespace calyxa {
namespace {

struct MaterialLook {
  double blurPoints;  // standard deviation of the blur
  QColor tint;        // laid over the blurred desktop
};

MaterialLook lookOf(VisualEffectMaterial material) {
  switch (material) {
    case VisualEffectMaterial::fullScreenUI:
      return {28.0, QColor(12, 15, 24, 120)};
    case VisualEffectMaterial::hudWindow:
      return {22.0, QColor(18, 18, 22, 150)};
    case VisualEffectMaterial::menu:
    case VisualEffectMaterial::popover:
    case VisualEffectMaterial::toolTip:
      return {16.0, QColor(36, 38, 44, 150)};
    case VisualEffectMaterial::underWindowBackground:
    case VisualEffectMaterial::windowBackground:
      return {30.0, QColor(24, 26, 32, 170)};
    default:
      return {20.0, QColor(28, 30, 38, 140)};
  }
}

std::optional<QImage> desktopUnder(QWidget& view) {
  QWidget* window = view.window();
  QScreen* screen = window->screen();
  const QRect area(view.mapToGlobal(QPoint(0, 0)), view.size());
  return captureDesktop(screen, area);
}

}  // namespace

VisualEffectView::VisualEffectView(QWidget* parent)
    : QWidget(parent), snapshotSource_(desktopUnder) {
  // Every pixel is painted: Qt need not clear or paint what lies under the view.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor VisualEffectView::fallbackTint(VisualEffectMaterial material) {
  QColor tint = lookOf(material).tint;
  tint.setAlpha(240);
  return tint;
}

void VisualEffectView::setMaterial(VisualEffectMaterial material) {
  ++propertyWrites_;
  material_ = material;
  invalidateEffect();
}

void VisualEffectView::setBlendingMode(VisualEffectBlendingMode mode) {
  ++propertyWrites_;
  blendingMode_ = mode;
  invalidateEffect();
}

void VisualEffectView::setState(VisualEffectState state) {
  ++propertyWrites_;
  state_ = state;
}

void VisualEffectView::setEmphasized(bool emphasized) {
  ++propertyWrites_;
  emphasized_ = emphasized;
}

void VisualEffectView::refreshSnapshot() {
  const auto picture = blendingMode_ == VisualEffectBlendingMode::behindWindow && snapshotSource_
                           ? snapshotSource_(*this)
                           : std::nullopt;
  snapshot_ = picture ? *picture : QImage();
  invalidateEffect();
}

void VisualEffectView::invalidateEffect() {
  effect_ = QImage();
  update();
}

const QImage& VisualEffectView::effectImage() {
  const qreal ratio = devicePixelRatioF();
  const QSize pixels = (QSizeF(size()) * ratio).toSize();
  if (!effect_.isNull() && effect_.size() == pixels) return effect_;
  ++effectRenders_;
  const MaterialLook look = lookOf(material_);
  if (snapshot_.isNull()) {
    effect_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    effect_.fill(fallbackTint(material_));
  } else {
    QImage source = snapshot_.size() == pixels
                        ? snapshot_
                        : snapshot_.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    effect_ = blurImage(source, look.blurPoints * ratio);
    QPainter painter(&effect_);
    painter.fillRect(effect_.rect(), look.tint);
  }
  effect_.setDevicePixelRatio(ratio);
  return effect_;
}

void VisualEffectView::paintEvent(QPaintEvent* event) {
  paintExposedImage(*this, *event, effectImage());
}

void VisualEffectView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  windowWillAppear();
}

void VisualEffectView::windowWillAppear() {
  const QWindow* handle = window()->windowHandle();
  if (!handle || !handle->isExposed()) refreshSnapshot();
}

void VisualEffectView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  effect_ = QImage();
}

}  // namespace calyxa
