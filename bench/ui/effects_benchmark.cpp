// The overlay's backdrop and glass at full-screen size on the software raster, and the blur of
// a desktop snapshot made once per showing.
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QWidget>
#include <memory>
#include <vector>

#include "views/effects/desktop_snapshot.h"
#include "views/effects/vantorel_modifier.h"
#include "views/effects/vitrel_ambient_backdrop.h"

namespace calyxa {
namespace {

const QSize kScreen(1440, 900);

// Something like a desktop: a wallpaper gradient with windows and text-like detail on it.
QImage desktopPicture(QSize size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  QPainter painter(&image);
  QLinearGradient wallpaper(0, 0, size.width(), size.height());
  wallpaper.setColorAt(0, QColor(40, 90, 160));
  wallpaper.setColorAt(1, QColor(200, 120, 60));
  painter.fillRect(image.rect(), wallpaper);
  QRandomGenerator random(7);
  for (int i = 0; i < 40; ++i) {
    const QRect window(random.bounded(size.width()), random.bounded(size.height()),
                       120 + random.bounded(500), 80 + random.bounded(400));
    painter.fillRect(window, QColor::fromRgb(random.generate() | 0xFF000000u));
    for (int line = 0; line < 10; ++line) {
      painter.fillRect(window.x() + 10, window.y() + 10 + line * 12, window.width() / 2, 4,
                       QColor(20, 20, 20));
    }
  }
  return image;
}

// A search-bar-like capsule of glass.
class GlassCapsule final : public QWidget {
 public:
  GlassCapsule(QWidget* parent, QColor tint, double opacity) : QWidget(parent) {
    modifier_ = vantorel(GlassShape::capsule(), tint, opacity, true, 0.75);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    cache_.paint(painter, modifier_, QRectF(rect()));
  }

 private:
  VantorelModifier modifier_;
  VantorelCache cache_;
};

struct OverlayScene {
  QWidget window;
  VitrelAmbientBackdrop* backdrop;
  QImage frame{kScreen, QImage::Format_ARGB32_Premultiplied};

  explicit OverlayScene(int capsules = 12)
      : backdrop(new VitrelAmbientBackdrop(&window)) {  // owned by the window
    const QImage desktop = desktopPicture(kScreen);
    backdrop->blurView().setSnapshotSource([desktop](QWidget&) { return desktop; });
    window.resize(kScreen);
    backdrop->resize(kScreen);
    backdrop->blurView().resize(kScreen);
    backdrop->blurView().refreshSnapshot();
    for (int i = 0; i < capsules; ++i) {
      auto* capsule = new GlassCapsule(&window, i % 3 ? QColor(Qt::white) : QColor(102, 204, 255),
                                       i % 3 ? 0.07 : 0.16);  // owned by the window
      capsule->setGeometry(80 + (i % 4) * 330, 120 + (i / 4) * 260, 250, 34);
    }
  }
  void render() { window.render(&frame, QPoint(), QRegion(), QWidget::DrawChildren); }
};

void BM_BackdropAndTwelveGlassCapsulesFrame(benchmark::State& state) {
  OverlayScene scene;
  scene.render();  // the blur and the glow layer are made on the first frame
  for (auto _ : state) {
    scene.render();
    benchmark::DoNotOptimize(scene.frame.constBits());
  }
  state.counters["layerRenders"] = scene.backdrop->layerRenders();
  state.counters["blurRenders"] = scene.backdrop->blurView().effectRenders();
}
BENCHMARK(BM_BackdropAndTwelveGlassCapsulesFrame)->Unit(benchmark::kMillisecond);

void BM_BackdropOnlyFrame(benchmark::State& state) {
  OverlayScene scene(0);
  scene.render();
  for (auto _ : state) {
    scene.render();
    benchmark::DoNotOptimize(scene.frame.constBits());
  }
}
BENCHMARK(BM_BackdropOnlyFrame)->Unit(benchmark::kMillisecond);

void BM_FirstFrameWithBlurAndLayer(benchmark::State& state) {
  for (auto _ : state) {
    OverlayScene scene;
    scene.render();
    benchmark::DoNotOptimize(scene.frame.constBits());
  }
}
BENCHMARK(BM_FirstFrameWithBlurAndLayer)->Unit(benchmark::kMillisecond);

// What a cache saves: twelve capsules painted layer by layer every frame.
void BM_TwelveGlassCapsulesUncached(benchmark::State& state) {
  QImage frame(kScreen, QImage::Format_ARGB32_Premultiplied);
  frame.fill(Qt::black);
  const VantorelModifier capsule = vantorel(GlassShape::capsule(), Qt::white, 0.07, true, 0.75);
  for (auto _ : state) {
    QPainter painter(&frame);
    for (int i = 0; i < 12; ++i)
      capsule.paint(painter, QRectF(80 + (i % 4) * 330, 120 + (i / 4) * 260, 250, 34));
  }
}
BENCHMARK(BM_TwelveGlassCapsulesUncached)->Unit(benchmark::kMillisecond);

void BM_BlurDesktopSnapshot(benchmark::State& state) {
  const QImage desktop = desktopPicture(kScreen);
  for (auto _ : state) {
    QImage blurred = blurImage(desktop, 28.0);
    benchmark::DoNotOptimize(blurred.constBits());
  }
}
BENCHMARK(BM_BlurDesktopSnapshot)->Unit(benchmark::kMillisecond);

void BM_BlurDesktopSnapshotRetina(benchmark::State& state) {
  const QImage desktop = desktopPicture(kScreen * 2);
  for (auto _ : state) {
    QImage blurred = blurImage(desktop, 56.0);
    benchmark::DoNotOptimize(blurred.constBits());
  }
}
BENCHMARK(BM_BlurDesktopSnapshotRetina)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace calyxa
