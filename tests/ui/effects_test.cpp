#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <filesystem>
#include <functional>
#include <tuple>

#include "views/effects/desktop_snapshot.h"
#include "views/effects/desktop_wallpaper_blur_view.h"
#include "views/effects/glass_pointer_tracker.h"
#include "views/effects/vantorel_modifier.h"
#include "views/effects/vitrel_ambient_backdrop.h"

namespace calyxa {
namespace {

// What `paint` draws on an image of `size` points at `ratio`; named, it is also written as
// renders/<name>.png in the build tree for a person to look at.
QImage render(QSize size, const std::function<void(QPainter&)>& paint, qreal ratio = 1.0,
              const std::string& name = {}, QColor background = Qt::black) {
  QImage image((QSizeF(size) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  image.fill(background);
  QPainter painter(&image);
  paint(painter);
  painter.end();
  std::filesystem::create_directories(CALYXA_RENDER_DIR);
  if (!name.empty()) image.save(QString::fromStdString(CALYXA_RENDER_DIR "/" + name + ".png"));
  return image;
}

QImage render(QWidget& widget, QSize size, const std::string& name = {}) {
  widget.resize(size);
  const auto draw = [&](QPainter& p) { widget.render(&p, {}, {}, QWidget::DrawChildren); };
  return render(size, draw, 1.0, name, Qt::transparent);
}

// Perceived brightness 0 to 1, over black, of the brightest pixel in an area given in points:
// the images are premultiplied, so their pixels are what shows over black.
double brightness(const QImage& image, double x, double y, double width = 1, double height = 1) {
  const qreal r = image.devicePixelRatio();
  const QRect pixels = QRectF(x * r, y * r, width * r, height * r).toAlignedRect() & image.rect();
  double best = 0.0;
  for (int row = pixels.top(); row <= pixels.bottom(); ++row) {
    for (int column = pixels.left(); column <= pixels.right(); ++column) {
      const QRgb c = image.pixel(column, row);
      best = std::max(best, (0.2126 * qRed(c) + 0.7152 * qGreen(c) + 0.0722 * qBlue(c)) / 255);
    }
  }
  return best;
}

QImage glass(const VantorelModifier& modifier, QSize size, const GlassInteraction& pointer = {},
             qreal ratio = 1.0, const std::string& name = {}) {
  const QRectF rect(QPointF(10, 10), QSizeF(size) - QSizeF(20, 20));
  return render(
      size, [&](QPainter& p) { modifier.paint(p, rect, {}, pointer); }, ratio, name);
}

// A sharp picture: yellow and blue stripes eight pixels wide.
QImage stripes(QSize size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  for (int x = 0; x < size.width(); ++x)
    for (int y = 0; y < size.height(); ++y)
      image.setPixelColor(x, y, (x / 8) % 2 ? QColor(250, 220, 40) : QColor(20, 60, 200));
  return image;
}

TEST(VantorelTest, BorderIsBrightestAtTheTopLeadingCornerAndTheTintShows) {
  const QSize size(260, 140);
  for (const GlassShape& shape :
       {GlassShape::roundedRectangle(22), GlassShape::capsule(),
        GlassShape::roundedRectangle(22, GlassShape::CornerStyle::continuous)}) {
    for (qreal ratio : {1.0, 2.0}) {
      const QImage image = glass(vantorel(shape, Qt::white, 0.08, true, 1.5), size, {}, ratio);
      // In a box at each corner of the surface the border is the brightest thing.
      const double bottomTrailing = brightness(image, 202, 92, 50, 40);
      EXPECT_GT(brightness(image, 8, 8, 50, 40), bottomTrailing + 0.2) << ratio;
      EXPECT_GT(bottomTrailing, 0.2) << ratio;
    }
  }
  // A third of the way along the diagonal a red tint shows; white leaves it neutral or blue.
  const auto tinted = [&](QColor tint, double opacity, const std::string& name) {
    const auto modifier = vantorel(GlassShape::roundedRectangle(22), tint, opacity);
    return glass(modifier, size, {}, 1.0, "glass_" + name).pixelColor(90, 50);
  };
  const QColor red = tinted({255, 40, 40}, 0.5, "red"), white = tinted(Qt::white, 0.0, "white");
  EXPECT_GT(red.red() - red.blue(), 60);
  EXPECT_LE(white.red(), white.blue());
  EXPECT_GT(red.red(), white.red() + 60);
}

TEST(VantorelTest, InteractiveGlassFollowsThePointerOverItsWidget) {
  QWidget button;
  button.resize(120, 34);
  GlassPointerTracker tracker(&button);
  const auto send = [&](QEvent&& event) {
    return QCoreApplication::sendEvent(&button, &event), tracker.interaction();
  };
  const auto mouse = [&](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
    return send(QMouseEvent(type, at, at, Qt::LeftButton, buttons, Qt::NoModifier));
  };
  const GlassInteraction hovering{true, false, {40, 20}}, pressing{true, true, {40, 20}};
  EXPECT_TRUE(send(QEnterEvent({10, 12}, {10, 12}, {10, 12})).hovered);
  EXPECT_EQ(mouse(QEvent::MouseMove, {40, 20}, Qt::NoButton), hovering);
  EXPECT_EQ(mouse(QEvent::MouseButtonPress, {40, 20}, Qt::LeftButton), pressing);
  EXPECT_EQ(mouse(QEvent::MouseMove, {200, 20}, Qt::LeftButton),
            (GlassInteraction{false, true, {200, 20}}));
  EXPECT_FALSE(mouse(QEvent::MouseButtonRelease, {200, 20}, Qt::NoButton).pressed);
  EXPECT_EQ(send(QEvent(QEvent::Leave)), GlassInteraction{});
  // Interactive glass is brighter under the pointer, more so when pressed.
  const auto lively = vantorel(GlassShape::capsule(), QColor(100, 200, 255), 0.16, true, 0.75);
  const auto under = [&](const GlassInteraction& p) {
    return brightness(glass(lively, {140, 54}, p), 40, 20);
  };
  EXPECT_GT(under(hovering), under({}) + 0.02);
  EXPECT_GT(under(pressing), under(hovering));
  glass(lively, {140, 54}, hovering, 2.0, "glass_capsule_hovered");
}

TEST(VantorelTest, CachedLayersLookTheSameAndAreRedrawnOnlyWhenSomethingChanges) {
  auto modifier = vantorel(GlassShape::roundedRectangle(22, GlassShape::CornerStyle::continuous),
                           QColor(102, 204, 255), 0.16, true, 1.15);
  VantorelCache cache;
  // Steps of interactivity, surface, pointer, pixel ratio, and the layers drawn so far.
  const std::tuple<bool, QRectF, GlassInteraction, qreal, int> steps[] = {
      {true, {10, 10, 250, 60}, {}, 1, 2},
      {false, {30, 40, 250, 60}, {true, false, {60, 60}}, 1, 4},  // changed: both layers once
      {false, {30, 40, 250, 60}, {true, true, {90, 60}}, 1, 4},   // still glass: no pointer
      {true, {20, 30, 250, 60}, {true, false, {50, 50}}, 1, 6},
      {true, {30, 40, 250, 60}, {true, false, {60, 60}}, 1, 6},  // moved with the pointer
      {true, {30, 40, 250, 60}, {true, true, {160, 60}}, 1, 7},  // the pointer: background only
      {true, {10, 10, 200, 60}, {}, 1, 9},                       // a new size or pixel ratio:
      {true, {10, 10, 200, 60}, {}, 2, 11},                      // both layers
  };
  for (const auto& [interactive, rect, pointer, ratio, renders] : steps) {
    modifier.interactive = interactive;
    const QImage direct = render(
        {300, 120}, [&](QPainter& p) { modifier.paint(p, rect, {}, pointer); }, ratio);
    const QImage cached = render(
        {300, 120}, [&](QPainter& p) { cache.paint(p, modifier, rect, {}, pointer); }, ratio);
    int largest = 0;  // difference of one byte
    for (qsizetype i = 0; i < direct.sizeInBytes(); ++i)
      largest = std::max(largest, std::abs(direct.constBits()[i] - cached.constBits()[i]));
    EXPECT_LE(largest, 2) << renders;
    EXPECT_EQ(cache.renders(), renders);
  }
}

TEST(BackdropTest, GlowsLightTheirCornersOverTheDesktopAndAreRenderedOncePerSize) {
  QWidget window;
  VitrelAmbientBackdrop backdrop(&window);
  const QImage image = render(window, {1440, 900}, "ambient_backdrop");
  EXPECT_EQ(backdrop.size(), QSize(1440, 900)) << "fills its container";
  const double centre = brightness(image, 720, 450);
  EXPECT_GT(brightness(image, 0.22 * 1440, 0.2 * 900), centre + 0.04);
  EXPECT_GT(brightness(image, 0.78 * 1440, 0.8 * 900), centre + 0.03);
  EXPECT_LT(centre, 0.15) << "no snapshot offscreen: the dark tint";
  EXPECT_GE(image.pixelColor(3, 3).alpha(), 240);
  backdrop.blurView().setSnapshotSource([](QWidget& v) { return stripes(v.size()); });
  backdrop.blurView().refreshSnapshot();
  const QImage desktop = render(window, {1440, 900}, "ambient_backdrop_over_desktop");
  EXPECT_GT(brightness(desktop, 720, 450), centre + 0.05) << "the desktop shows through";
  EXPECT_EQ(backdrop.layerRenders(), 1) << "a static backdrop is composed once";
  render(window, {800, 600});
  EXPECT_EQ(backdrop.layerRenders(), 2);
}

TEST(DesktopBlurTest, SnapshotIsBlurredAndTintedAndUnchangedUpdatesLeaveTheViewAlone) {
  QWidget window;
  const DesktopWallpaperBlurView description;
  VisualEffectView* view = description.makeView(&window);
  view->setSnapshotSource([](QWidget& v) { return stripes(v.size()); });
  view->resize(320, 200);
  view->refreshSnapshot();
  const QImage shown = render(*view, view->size(), "desktop_blur");
  // The stripes are gone, their average hue kept under the dark tint, the edges not darkened.
  for (int x = 0; x < 319; ++x) {
    const QColor a = shown.pixelColor(x, 100), b = shown.pixelColor(x + 1, 100);
    ASSERT_LE(std::max(std::abs(a.red() - b.red()), std::abs(a.blue() - b.blue())), 3) << x;
  }
  const QColor middle = shown.pixelColor(160, 100);
  EXPECT_GT(std::min(middle.red(), middle.blue()), 40);
  EXPECT_LT(middle.red(), 150) << "darkened by the material's tint";
  EXPECT_GT(brightness(shown, 0, 0), 0.6 * brightness(shown, 160, 100));
  const int writes = view->propertyWrites();
  description.updateView(*view);
  render(*view, view->size());
  DesktopWallpaperBlurView{VisualEffectMaterial::hudWindow}.updateView(*view);
  EXPECT_EQ(view->propertyWrites(), writes + 1) << "only what differs is written";
  EXPECT_FALSE(render(*view, view->size()) == shown);
  EXPECT_EQ(view->effectRenders(), 2) << "blurred once per snapshot and material";
  EXPECT_FALSE(captureDesktop(window.screen(), {0, 0, 100, 100})) << "no desktop offscreen";
}

}  // namespace
}  // namespace calyxa
