#pragma once

#include <QImage>
#include <QWidget>

#include "views/effects/visual_effect_view.h"

namespace calyxa {

// The backdrop of the overlay, filling its parent: the blurred desktop, a dark wash from
// top-leading to bottom-trailing and two soft coloured glows. Nothing in it moves; the wash and
// the glows are rendered together once per size into one layer, and each paint copies the
// blurred desktop and blends that layer over it.
class VitrelAmbientBackdrop final : public QWidget {
 public:
  explicit VitrelAmbientBackdrop(QWidget* parent = nullptr);

  VisualEffectView& blurView() { return *blur_; }
  // Times the wash-and-glow layer was rendered.
  int layerRenders() const { return layerRenders_; }

  // The wash and the glows for a backdrop of `size` points at `devicePixelRatio`.
  static QImage renderLayer(QSize size, qreal devicePixelRatio);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class Layer;
  const QImage& layer();

  VisualEffectView* blur_;
  QWidget* layerView_;
  QImage layer_;
  int layerRenders_ = 0;
};

}  // namespace calyxa
