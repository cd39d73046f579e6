#pragma once

#include <QImage>
#include <QWidget>

#include "views/effects/visual_effect_view.h"

namespace calyxa {

// The backdrop of the overlay, filling its parent: the blurred desktop, a dark wash from
// top-leading to bottom-trailing and two soft coloured glows. Nothing in it moves: the wash and
// the glows are rendered together once per size into one layer, the layer is flattened onto the
// blurred desktop once per snapshot, and a paint copies the result.
class VitrelAmbientBackdrop final : public QWidget {
 public:
  explicit VitrelAmbientBackdrop(QWidget* parent = nullptr);

  // The blurred desktop; the backdrop draws its picture, so the view itself stays hidden.
  VisualEffectView& blurView() { return *blur_; }
  // Times the wash-and-glow layer was rendered.
  int layerRenders() const { return layerRenders_; }

  // The wash and the glows for a backdrop of `size` points at `devicePixelRatio`.
  static QImage renderLayer(QSize size, qreal devicePixelRatio);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  const QImage& layer();
  const QImage& composite();

  VisualEffectView* blur_;
  QImage layer_;
  QImage composite_;
  qint64 compositeSource_ = 0;
  int layerRenders_ = 0;
};

}  // namespace calyxa
