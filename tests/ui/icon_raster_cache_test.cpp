#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>
#include <atomic>
#include <memory>

#include "platform/qt/generic_icon.h"
#include "views/icon_raster_cache.h"

namespace calyxa {
namespace {

// A solid square that counts how often, and notes on which thread, it was drawn.
class CountingContent final : public ImageContent {
 public:
  explicit CountingContent(QColor colour, bool fails = false) : colour_(colour.rgba()), fails_(fails) {}
  RasterImage render(int width, int height) const override {
    renders.fetch_add(1);
    offMainThread.store(QThread::currentThread() != QCoreApplication::instance()->thread());
    if (fails_) return {};
    RasterImage raster{width, height, {}};
    raster.pixels.assign(static_cast<std::size_t>(width) * height, colour_);
    return raster;
  }
  mutable std::atomic<int> renders{0};
  mutable std::atomic<bool> offMainThread{false};

 private:
  QRgb colour_;
  bool fails_;
};

struct Icon {
  explicit Icon(QColor colour, bool fails = false)
      : content(std::make_shared<CountingContent>(colour, fails)), image(96, 96, content) {}
  std::shared_ptr<CountingContent> content;
  Image image;
};

TEST(IconRasterCacheTest, DecodesOnceOffTheMainThreadAndCallsEveryLivingRequester) {
  IconRasterCache cache;
  const Icon red(Qt::red);
  int firstCalls = 0, secondCalls = 0, goneCalls = 0, staleCalls = 0;
  QObject first, second;
  auto gone = std::make_unique<QObject>();

  EXPECT_TRUE(cache.image(red.image, 64, &first, [&] { ++staleCalls; }).isNull());
  EXPECT_TRUE(cache.image(red.image, 64, &first, [&] { ++firstCalls; }).isNull());
  EXPECT_TRUE(cache.image(Image(red.image), 64, &second, [&] { ++secondCalls; }).isNull());
  EXPECT_TRUE(cache.image(red.image, 64, gone.get(), [&] { ++goneCalls; }).isNull());
  EXPECT_TRUE(cache.image(red.image, 64, nullptr, {}).isNull());
  gone.reset();  // destroyed before the picture arrives
  EXPECT_TRUE(cache.isDecoding());
  cache.waitUntilIdle();
  EXPECT_FALSE(cache.isDecoding());

  EXPECT_EQ(red.content->renders, 1);
  EXPECT_TRUE(red.content->offMainThread);
  EXPECT_EQ(std::tuple(firstCalls, secondCalls, goneCalls, staleCalls), std::tuple(1, 1, 0, 0));
  const QImage ready = cache.image(red.image, 64, &first, [&] { ++firstCalls; });
  ASSERT_EQ(ready.size(), QSize(64, 64));
  EXPECT_EQ(ready.pixelColor(10, 50), QColor(Qt::red));
  EXPECT_EQ(firstCalls, 1);  // no call when the picture is there at once

  // Another size is another picture; the synchronous way fills the same cache.
  EXPECT_EQ(cache.imageNow(red.image, 32).size(), QSize(32, 32));
  EXPECT_EQ(red.content->renders, 2);
  EXPECT_FALSE(cache.image(red.image, 32, &first, {}).isNull());
  EXPECT_FALSE(cache.isDecoding());

  // A callback that asks for more is served by the same wait.
  const Icon blue(Qt::blue), green(Qt::green);
  QImage chained;
  cache.image(blue.image, 48, &first, [&] {
    cache.image(green.image, 48, &first, [&] { chained = cache.imageNow(green.image, 48); });
  });
  cache.waitUntilIdle();
  EXPECT_EQ(chained.pixelColor(0, 0), QColor(Qt::green));

  for (int size : {0, -3, IconRasterCache::kMaxPixelSize + 1}) {
    EXPECT_TRUE(cache.image(red.image, size, &first, [&] { ++firstCalls; }).isNull());
    EXPECT_TRUE(cache.imageNow(red.image, size).isNull());
  }
  EXPECT_FALSE(cache.isDecoding());
}

TEST(IconRasterCacheTest, MissingPicturesGiveTheGenericIconAndTheBudgetEvictsTheLeastRecent) {
  const QImage generic = drawGenericApplicationIcon(QSize(40, 40), {});
  IconRasterCache cache(10 * 40 * 40 * 4);  // ten 40-pixel icons
  const Icon broken(Qt::red, /*fails=*/true);
  EXPECT_EQ(cache.imageNow(broken.image, 40), generic);
  EXPECT_EQ(cache.imageNow(Image(), 40), generic);
  bool called = false;
  QObject receiver;
  EXPECT_TRUE(cache.image(Image(), 41, &receiver, [&] { called = true; }).isNull());
  cache.waitUntilIdle();
  EXPECT_TRUE(called);

  std::vector<Icon> icons;
  for (int i = 0; i < 30; ++i)
    icons.emplace_back(QColor::fromHsv(i * 12, 200, 200));
  for (int round = 0; round < 2; ++round) {
    for (const Icon& icon : icons) {
      cache.image(icon.image, 40, nullptr, {});
      cache.waitUntilIdle();
      cache.imageNow(icons.front().image, 40);  // kept fresh: never evicted
      EXPECT_LE(cache.byteCount(), 10u * 40 * 40 * 4);
      EXPECT_LE(cache.entryCount(), 10u);
    }
  }
  EXPECT_EQ(icons.front().content->renders, 1);
  EXPECT_EQ(icons[1].content->renders, 2);  // evicted in the first round, decoded again
  EXPECT_EQ(icons.back().content->renders, 2);
}

TEST(IconRasterCacheTest, ACacheGoingAwayWithDecodesUnderwayCallsNoOne) {
  bool called = false;
  QObject receiver;
  {
    IconRasterCache cache;
    const Icon icon(Qt::red);
    for (int size = 16; size < 64; ++size)
      cache.image(icon.image, size, &receiver, [&] { called = true; });
  }
  QCoreApplication::processEvents();
  EXPECT_FALSE(called);
  // The shared cache stops its workers when the application goes, decodes under way or not.
  const Icon icon(Qt::blue);
  EXPECT_EQ(&IconRasterCache::shared(), &IconRasterCache::shared());
  IconRasterCache::shared().image(icon.image, 20, &receiver, [&] { called = true; });
}

}  // namespace
}  // namespace calyxa
