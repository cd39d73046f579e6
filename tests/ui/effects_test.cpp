#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <cmath>

#include "render_harness.h"
#include "views/effects/desktop_snapshot.h"
#include "views/effects/desktop_wallpaper_blur_view.h"
#include "views/effects/glass_pointer_tracker.h"
#include "views/effects/vantorel_modifier.h"
#include "views/effects/vitrel_ambient_backdrop.h"

namespace calyxa {
namespace {

using testing::brightness;
using testing::colourAt;
using testing::maxBrightness;
using testing::renderPainting;
using testing::renderWidget;
using testing::saveRender;

QImage glass(const VantorelModifier& modifier, QSize size, const GlassInteraction& pointer = {},
             qreal ratio = 1.0) {
  const QRectF rect(QPointF(10, 10), QSizeF(size) - QSizeF(20, 20));
  return renderPainting(
      size, [&](QPainter& p) { modifier.paint(p, rect, {}, pointer); }, Qt::black, ratio);
}

TEST(VantorelTest, BorderIsBrightestAtTheTopLeadingCornerAndTheTintShows) {
  const QSize size(260, 140);
  for (const GlassShape& shape :
       {GlassShape::roundedRectangle(22), GlassShape::capsule(),
        GlassShape::roundedRectangle(22, GlassShape::CornerStyle::continuous)}) {
    for (qreal ratio : {1.0, 2.0}) {
      const QImage image = glass(vantorel(shape, Qt::white, 0.08, true, 1.5), size, {}, ratio);
      // Corner boxes of the surface (inset 10): the border is the brightest thing in each.
      const double topLeading = maxBrightness(image, QRectF(8, 8, 50, 40));
      const double bottomTrailing =
          maxBrightness(image, QRectF(size.width() - 58, size.height() - 48, 50, 40));
      EXPECT_GT(topLeading, bottomTrailing + 0.1) << ratio;
      EXPECT_GT(bottomTrailing, 0.2) << "the bottom-trailing stop is white at 0.4";
      // Along the diagonal the border dims to its faintest stop near two thirds of the way.
      const double middleRight = maxBrightness(image, QRectF(size.width() - 16, 60, 8, 20));
      EXPECT_LT(middleRight, bottomTrailing);
    }
  }
  saveRender(glass(vantorel(GlassShape::roundedRectangle(22), Qt::white, 0.08), size),
             "glass_white");

  // The tint colour is the second stop of the base gradient: a red tint turns the surface red
  // where a white one leaves it neutral or blue.
  const auto tintAt = [&](QColor tint, double opacity) {
    const QImage image = glass(vantorel(GlassShape::roundedRectangle(22), tint, opacity), size);
    saveRender(image, "glass_tint_" + tint.name().toStdString().substr(1) + "_" +
                          std::to_string(static_cast<int>(opacity * 100)));
    // A third of the way along the diagonal, where the tint stop lies.
    return colourAt(image, QPointF(10 + 240 / 3.0, 10 + 120 / 3.0));
  };
  const QColor red = tintAt(QColor(255, 40, 40), 0.5);
  const QColor neutral = tintAt(Qt::white, 0.0);
  EXPECT_GT(red.red() - red.blue(), 60);
  EXPECT_LE(neutral.red(), neutral.blue());
  EXPECT_GT(red.red(), neutral.red() + 60);
}

TEST(VantorelTest, OnlyInteractiveGlassReactsToThePointer) {
  const QSize size(200, 60);
  const GlassInteraction hovering{true, false, QPointF(60, 30)};
  const VantorelModifier still =
      vantorel(GlassShape::capsule(), QColor(100, 200, 255), 0.16, false, 0.75);
  const VantorelModifier lively =
      vantorel(GlassShape::capsule(), QColor(100, 200, 255), 0.16, true, 0.75);
  // Not interactive: pointer or not, the same tinted glass, base and border.
  EXPECT_TRUE(glass(still, size, hovering) == glass(still, size));
  EXPECT_TRUE(glass(still, size) == glass(lively, size));
  // Interactive: brighter under the pointer, more so when pressed.
  const QPointF under(60, 30);
  const double idle = brightness(colourAt(glass(lively, size), under));
  const double hovered = brightness(colourAt(glass(lively, size, hovering), under));
  const double pressed =
      brightness(colourAt(glass(lively, size, {true, true, QPointF(60, 30)}), under));
  EXPECT_GT(hovered, idle + 0.02);
  EXPECT_GT(pressed, hovered);
  saveRender(glass(lively, size, hovering), "glass_capsule_hovered");
}

// A sharp picture: stripes eight pixels wide.
QImage stripes(QSize size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < size.height(); ++y) {
    for (int x = 0; x < size.width(); ++x)
      image.setPixelColor(x, y, (x / 8) % 2 ? QColor(250, 220, 40) : QColor(20, 60, 200));
  }
  return image;
}

TEST(VantorelTest, PointerTrackerFollowsHoverAndPressOverItsWidget) {
  QWidget button;
  button.resize(120, 34);
  GlassPointerTracker tracker(&button);
  EXPECT_EQ(tracker.interaction(), GlassInteraction{});
  const auto send = [&](QEvent&& event) { QCoreApplication::sendEvent(&button, &event); };
  const auto mouse = [](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
    return QMouseEvent(type, at, at, Qt::LeftButton, buttons, Qt::NoModifier);
  };
  send(QEnterEvent(QPointF(10, 12), QPointF(10, 12), QPointF(10, 12)));
  EXPECT_EQ(tracker.interaction(), (GlassInteraction{true, false, QPointF(10, 12)}));
  send(mouse(QEvent::MouseMove, QPointF(40, 20), Qt::NoButton));
  EXPECT_EQ(tracker.interaction().pointer, QPointF(40, 20));
  send(mouse(QEvent::MouseButtonPress, QPointF(41, 20), Qt::LeftButton));
  EXPECT_EQ(tracker.interaction(), (GlassInteraction{true, true, QPointF(41, 20)}));
  // Dragged off while pressed: still pressed, no longer hovering.
  send(mouse(QEvent::MouseMove, QPointF(200, 20), Qt::LeftButton));
  EXPECT_FALSE(tracker.interaction().hovered);
  EXPECT_TRUE(tracker.interaction().pressed);
  send(mouse(QEvent::MouseButtonRelease, QPointF(200, 20), Qt::NoButton));
  EXPECT_FALSE(tracker.interaction().pressed);
  send(QEvent(QEvent::Leave));
  EXPECT_EQ(tracker.interaction(), GlassInteraction{});
}

TEST(VantorelTest, CachedLayersLookTheSameAndAreRedrawnOnlyWhenSomethingChanges) {
  const QSize size(300, 120);
  VantorelModifier modifier =
      vantorel(GlassShape::roundedRectangle(22, GlassShape::CornerStyle::continuous),
               QColor(102, 204, 255), 0.16, true, 1.15);
  VantorelCache cache;
  const auto both = [&](QRectF rect, const GlassInteraction& pointer, qreal ratio) {
    const QImage direct = renderPainting(
        size, [&](QPainter& p) { modifier.paint(p, rect, {}, pointer); }, Qt::black, ratio);
    const QImage cached = renderPainting(
        size, [&](QPainter& p) { cache.paint(p, modifier, rect, {}, pointer); }, Qt::black, ratio);
    return testing::largestDifference(direct, cached) <= 2;
  };
  EXPECT_TRUE(both(QRectF(10, 10, 250, 60), {}, 1.0));
  EXPECT_EQ(cache.renders(), 2);
  // Moving the surface, or the pointer over glass that ignores it, redraws nothing.
  EXPECT_TRUE(both(QRectF(30, 40, 250, 60), {}, 1.0));
  EXPECT_TRUE(both(QRectF(31, 41, 250, 60), {}, 1.0));
  EXPECT_EQ(cache.renders(), 2);
  modifier.interactive = false;
  EXPECT_TRUE(both(QRectF(30, 40, 250, 60), {true, false, QPointF(60, 60)}, 1.0));
  EXPECT_TRUE(both(QRectF(30, 40, 250, 60), {true, true, QPointF(90, 60)}, 1.0));
  EXPECT_EQ(cache.renders(), 4) << "both layers anew for the changed modifier, once";
  // Interactive glass redraws its background, not its border, when the pointer moves over it;
  // a surface moved together with the pointer looks the same.
  modifier.interactive = true;
  EXPECT_TRUE(both(QRectF(30, 40, 250, 60), {true, false, QPointF(60, 60)}, 1.0));
  EXPECT_TRUE(both(QRectF(20, 30, 250, 60), {true, false, QPointF(50, 50)}, 1.0));
  EXPECT_EQ(cache.renders(), 6);
  EXPECT_TRUE(both(QRectF(20, 30, 250, 60), {true, true, QPointF(150, 50)}, 1.0));
  EXPECT_EQ(cache.renders(), 7);
  // A new tint, size or pixel ratio redraws both layers.
  modifier.tintOpacity = 0.3;
  EXPECT_TRUE(both(QRectF(10, 10, 250, 60), {}, 1.0));
  EXPECT_TRUE(both(QRectF(10, 10, 200, 60), {}, 1.0));
  EXPECT_TRUE(both(QRectF(10, 10, 200, 60), {}, 2.0));
  EXPECT_EQ(cache.renders(), 13);
}

TEST(BackdropTest, GlowsLightTheirCornersAndAreRenderedOncePerSize) {
  QWidget window;
  VitrelAmbientBackdrop backdrop(&window);
  const QSize size(1440, 900);
  const QImage image = renderWidget(window, size);
  EXPECT_EQ(backdrop.size(), size) << "fills its container";
  saveRender(image, "ambient_backdrop_1440x900");
  const double w = size.width(), h = size.height();
  const double centre = brightness(colourAt(image, QPointF(0.5 * w, 0.5 * h)));
  const double blueGlow = brightness(colourAt(image, QPointF(0.22 * w, 0.2 * h)));
  const double violetGlow = brightness(colourAt(image, QPointF(0.78 * w, 0.8 * h)));
  EXPECT_GT(blueGlow, centre + 0.04);
  EXPECT_GT(violetGlow, centre + 0.03);
  // The glows are their colours: blue-cyan at the top leading one, violet at the other.
  const QColor cyan = colourAt(image, QPointF(0.22 * w, 0.2 * h));
  const QColor violet = colourAt(image, QPointF(0.78 * w, 0.8 * h));
  EXPECT_GT(cyan.green(), violet.green());
  EXPECT_GT(violet.red(), cyan.red());
  // No snapshot offscreen: the dark tint, every pixel almost opaque.
  EXPECT_FALSE(backdrop.blurView().hasSnapshot());
  EXPECT_LT(centre, 0.15);
  EXPECT_GE(colourAt(image, QPointF(3, 3)).alpha(), 240);

  EXPECT_EQ(backdrop.layerRenders(), 1);
  renderWidget(window, size);
  EXPECT_EQ(backdrop.layerRenders(), 1) << "a static backdrop is composed once";

  // A snapshot of the desktop shows through, blurred, under the same wash and glows.
  backdrop.blurView().setSnapshotSource([](QWidget& v) { return stripes(v.size()); });
  backdrop.blurView().refreshSnapshot();
  const QImage overDesktop = renderWidget(window, size);
  saveRender(overDesktop, "ambient_backdrop_over_desktop");
  EXPECT_EQ(backdrop.layerRenders(), 1) << "a new snapshot keeps the layer";
  EXPECT_GT(brightness(colourAt(overDesktop, QPointF(0.5 * w, 0.5 * h))), centre + 0.05);
  EXPECT_GT(brightness(colourAt(overDesktop, QPointF(0.22 * w, 0.2 * h))),
            brightness(colourAt(overDesktop, QPointF(0.5 * w, 0.2 * h))));
  EXPECT_EQ(colourAt(overDesktop, QPointF(0.5 * w, 0.5 * h)).alpha(), 255);

  renderWidget(window, QSize(800, 600));
  EXPECT_EQ(backdrop.layerRenders(), 2);
}

TEST(DesktopBlurTest, SnapshotIsBlurredAndTintedAndUnchangedUpdatesLeaveTheViewAlone) {
  QWidget window;
  const DesktopWallpaperBlurView description;
  VisualEffectView* view = description.makeView(&window);
  EXPECT_EQ(view->material(), VisualEffectMaterial::fullScreenUI);
  EXPECT_EQ(static_cast<int>(view->material()), 15);
  EXPECT_EQ(view->blendingMode(), VisualEffectBlendingMode::behindWindow);
  EXPECT_EQ(view->state(), VisualEffectState::active);
  EXPECT_TRUE(view->isEmphasized());

  const QSize size(320, 200);
  int snapshots = 0;
  view->setSnapshotSource([&](QWidget& v) -> std::optional<QImage> {
    ++snapshots;
    return stripes(v.size());
  });
  view->resize(size);
  view->refreshSnapshot();
  ASSERT_TRUE(view->hasSnapshot());
  const QImage shown = renderWidget(*view, size);
  saveRender(shown, "desktop_blur_stripes");
  // Stripes eight pixels wide are gone: neighbouring columns differ by a step or two at most,
  // and the picture keeps the stripes' average hue under the dark tint.
  int largestStep = 0;
  for (int x = 20; x < 300; ++x) {
    const QColor a = shown.pixelColor(x, 100), b = shown.pixelColor(x + 1, 100);
    largestStep =
        std::max({largestStep, std::abs(a.red() - b.red()), std::abs(a.blue() - b.blue())});
  }
  EXPECT_LE(largestStep, 3);
  const QColor middle = shown.pixelColor(160, 100);
  EXPECT_GT(middle.red(), 40);
  EXPECT_GT(middle.blue(), 40);
  EXPECT_LT(middle.red(), 150) << "darkened by the material's tint";
  EXPECT_EQ(view->effectRenders(), 1);

  // Reconciling with the same description writes nothing and re-blurs nothing.
  const int writes = view->propertyWrites();
  description.updateView(*view);
  description.updateView(*view);
  renderWidget(*view, size);
  EXPECT_EQ(view->propertyWrites(), writes);
  EXPECT_EQ(view->effectRenders(), 1);
  // A different material is written, once, and changes the picture.
  DesktopWallpaperBlurView hud{VisualEffectMaterial::hudWindow,
                               VisualEffectBlendingMode::behindWindow};
  hud.updateView(*view);
  hud.updateView(*view);
  EXPECT_EQ(view->propertyWrites(), writes + 1);
  EXPECT_FALSE(renderWidget(*view, size) == shown);
  EXPECT_EQ(view->effectRenders(), 2);

  // Blending within the window takes no snapshot of the desktop: the dark tint.
  DesktopWallpaperBlurView within{VisualEffectMaterial::hudWindow,
                                  VisualEffectBlendingMode::withinWindow};
  within.updateView(*view);
  view->refreshSnapshot();
  EXPECT_EQ(snapshots, 1);
  EXPECT_FALSE(view->hasSnapshot());
  const QImage tint = renderWidget(*view, size);
  EXPECT_EQ(tint.pixelColor(5, 5), tint.pixelColor(300, 190));
  EXPECT_LT(brightness(tint.pixelColor(5, 5)), 0.15);

  // Offscreen there is no desktop to take.
  EXPECT_FALSE(captureDesktop(window.screen(), QRect(0, 0, 100, 100)));
}

TEST(DesktopBlurTest, BlurKeepsSizeAndAverageAndRepeatsEdges) {
  const QImage sharp = stripes(QSize(400, 240));
  const QImage soft = blurImage(sharp, 20.0);
  ASSERT_EQ(soft.size(), sharp.size());
  const auto average = [](const QImage& image, int channel) {
    double sum = 0;
    for (int y = 0; y < image.height(); y += 4) {
      for (int x = 0; x < image.width(); x += 4) {
        const QColor c = image.pixelColor(x, y);
        sum += channel == 0 ? c.red() : c.blue();
      }
    }
    return sum / ((image.height() / 4) * (image.width() / 4));
  };
  EXPECT_NEAR(average(soft, 0), average(sharp, 0), 4.0);
  EXPECT_NEAR(average(soft, 2), average(sharp, 2), 4.0);
  // Edges are not darkened by pixels from outside the picture.
  EXPECT_GT(brightness(soft.pixelColor(0, 0)), 0.6 * brightness(soft.pixelColor(200, 120)));
  EXPECT_EQ(soft.pixelColor(0, 0).alpha(), 255);
}

}  // namespace
}  // namespace calyxa
