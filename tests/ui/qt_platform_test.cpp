#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QWidget>
#include <QtEndian>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "platform/qt/bundle_icon.h"
#include "platform/qt/generic_icon.h"
#include "platform/qt/jpeg2000_image.h"
#include "platform/qt/property_observer.h"
#include "platform/qt/qt_image.h"
#include "platform/qt/qt_main_queue.h"
#include "platform/qt/qt_workspace.h"
#include "support/app_bundle_tree.h"
#include "support/fakes.h"
#include "support/jpeg2000_encoder.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"
#include "views/icon_raster_cache.h"

namespace calyxa {
namespace {

// Runs the Qt event loop until `done` holds; false if that takes longer than a generous bound.
bool runEventLoopUntil(const std::function<bool()>& done) {
  const QDeadlineTimer deadline(10000);
  while (!done() && !deadline.hasExpired())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  return done();
}

bool onMainThread() {
  return QThread::currentThread() == QCoreApplication::instance()->thread();
}

TEST(QtMainQueueTest, WorkFromAnyThreadRunsOnTheMainThreadInOrderAndTimersByDeadline) {
  QtMainQueue queue;
  std::vector<std::string> order;
  queue.asyncAfter(0.03, [&] { order.push_back("late"); });
  queue.asyncAfter(0.005, [&] { order.push_back("early"); });
  queue.asyncAfter(0.01, [&] { order.push_back("cancelled"); }).cancel();
  int ticks = 0;  // a repeating timer cancelled on its third tick: no fourth, and its timer goes
  Cancellable repeating;
  repeating = queue.scheduleRepeating(0.002, [&] {
    if (++ticks == 3) repeating.cancel();
  });
  constexpr int kThreads = 4, kItems = 250;
  std::vector<int> next(kThreads);  // per poster, the item due next
  std::atomic<int> misplaced{0}, delayed{0};
  std::vector<std::thread> posters;
  for (int t = 0; t < kThreads; ++t) {
    posters.emplace_back([&, t] {
      queue.asyncAfter(0.001, [&] { misplaced += !onMainThread(), ++delayed; });
      for (int i = 0; i < kItems; ++i)
        queue.async([&, t, i] { misplaced += !onMainThread() + (next[t]++ != i); });
    });
  }
  for (auto& poster : posters)
    poster.join();
  ASSERT_TRUE(runEventLoopUntil([&] {
    return order.size() >= 2 && delayed == kThreads && ticks >= 3 && queue.liveTimerCount() == 0 &&
           next == std::vector(kThreads, kItems);
  }));
  EXPECT_EQ(misplaced.load(), 0) << "each item on the main thread, in order";
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(order, (std::vector<std::string>{"early", "late"}));
}

TEST(PropertyObserverTest, ViewsSeeEachChangeWithItsTransactionWhileTheyLive) {
  testing::TestStore store;
  std::vector<std::pair<std::string, Animation>> seen;
  auto view = std::make_unique<QWidget>();
  observeProperty(view.get(), store->showSettings, [&](bool on, const Transaction& t) {
    seen.emplace_back(on ? "settings on" : "settings off", t.effectiveAnimation());
    if (!on) view.reset();  // a view may go away in its own callback
  });
  observeChanges(view.get(), store->changes, {"isEditingPositions", "statusToast"},
                 [&](std::string_view name, const Transaction& t) {
                   seen.emplace_back(name, t.effectiveAnimation());
                 });
  withAnimation(Animation::spring(0.3, 0.86), [&] { store->showSettings = true; });
  withAnimation(Animation::easeOut(0.2), [&] { store->isEditingPositions = true; });
  store->showOnboarding = true;  // not asked for
  withoutAnimation([&] { store->showSettings = false; });
  store->showSettings = true;
  store->isEditingPositions = false;
  const decltype(seen) expected = {{"settings on", Animation::spring(0.3, 0.86)},
                                   {"isEditingPositions", Animation::easeOut(0.2)},
                                   {"settings off", Animation::none()}};
  EXPECT_EQ(seen, expected) << "nothing after the view went away";
}

const QColor kRed(230, 20, 20), kBlue(20, 40, 230);

QByteArray png(const QImage& image) {
  QBuffer buffer;
  image.save(&buffer, "PNG");
  return buffer.data();
}

QByteArray png(int edge, QColor colour) {
  QImage image(edge, edge, QImage::Format_ARGB32);
  image.fill(colour);
  return png(image);
}

// Type, big-endian length of the whole (or `size`), then the data: how .icns frames its parts.
QByteArray chunk(const char* type, const QByteArray& data, qsizetype size = 0) {
  const quint32 length = qToBigEndian(static_cast<quint32>(size ? size : data.size() + 8));
  return QByteArray(type, 4) + QByteArray(reinterpret_cast<const char*>(&length), 4) + data;
}

QByteArray icns(const std::vector<std::pair<const char*, QByteArray>>& entries) {
  QByteArray body;
  for (const auto& [type, data] : entries)
    body += chunk(type, data);
  return chunk("icns", body);
}

std::filesystem::path write(const std::filesystem::path& path, const QByteArray& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(bytes.constData(), bytes.size());
  return path;
}

// Writes Applications/<name>.app under `root`, naming `icon`; returns its Resources folder.
std::filesystem::path bundle(const testing::TempDir& root, const std::string& name,
                             std::optional<PlistValue> icon = "AppIcon") {
  PlistDictionary keys;
  if (icon) keys.emplace("CFBundleIconFile", *icon);
  testing::writeAppBundle(root.path(), "/Applications/" + name + ".app", {.extraKeys = keys});
  const auto resources = root / ("Applications/" + name + ".app/Contents/Resources");
  std::filesystem::create_directories(resources);
  return resources;
}

QImage draw(const Image& image, double scale) {
  const QImage pixels = toQImage(image.render(scale));
  EXPECT_EQ(pixels.size(), QSize(96, 96) * scale);
  return pixels;
}

QColor centre(const Image& image, double scale = 1.0) {
  return draw(image, scale).pixelColor(QPoint(48, 48) * scale);
}

TEST(QtWorkspaceTest, DecodesIconsWhenFirstDrawnAndGivesTheGenericIconForBadFiles) {
  testing::TempDir root;
  QtWorkspace workspace(std::make_shared<testing::FakeWorkspace>(), SystemRoot(root.path()));
  const QByteArray good = icns({{"ic07", png(128, kRed)}, {"ic08", png(256, kBlue)}});
  // Asked for before the bundle exists: nothing is read until the icon is drawn.
  const Image early = workspace.iconForFile("/Applications/Late.app");
  const auto late = write(bundle(root, "Late") / "AppIcon.icns", good);
  // 96 points at ratio 1 uses the 128-pixel picture, at ratio 2 the 256-pixel one.
  EXPECT_EQ(centre(early), kRed);
  EXPECT_EQ(centre(workspace.iconForFile("/Applications/Late.app"), 2.0), kBlue);
  // Each drawing reads the file (the views keep the pixels): once it is gone, the generic icon.
  std::filesystem::remove(late);
  EXPECT_TRUE(draw(early, 1.0) == drawGenericApplicationIcon({96, 96}, "/Applications/Late.app"));
  write(bundle(root, "Plain", "logo.png") / "logo.png", png(64, QColor(20, 200, 20)));
  EXPECT_EQ(centre(workspace.iconForFile("/Applications/Plain.app")), QColor(20, 200, 20));

  const QByteArray huge = png(3000, Qt::red);
  std::vector<std::string> broken = {"/Applications/Late.app", "/Applications/Absent.app",
                                     "/Outside"};
  write(root / "Outside/AppIcon.icns", good);  // valid, outside every bundle: never shown
  const auto add = [&](const std::string& name, std::optional<PlistValue> icon = "AppIcon") {
    broken.push_back("/Applications/" + name + ".app");
    return bundle(root, name, icon);
  };
  add("NoIconKey", std::nullopt);
  add("Missing");
  add("WrongKind", 42);
  write(add("Truncated") / "AppIcon.icns", good.left(good.size() * 2 / 3));
  write(add("Garbage") / "AppIcon.icns", QByteArray(5000, '\x5a'));
  write(add("Padded") / "AppIcon.icns", good + chunk("pads", {}));  // beyond its stated length
  // A picture far wider than any icon is not decoded, in an .icns or on its own.
  write(add("HugeInIcns") / "AppIcon.icns", icns({{"ic07", huge}}));
  write(add("HugePng", "huge.png") / "huge.png", huge);
  // A well-formed file larger than any icon is refused unread; its padding is a hole on disk.
  const QByteArray red = chunk("ic07", png(128, kRed));
  const qsizetype n = kMaxIconFileBytes + 1, pad = n - 8 - red.size();
  std::filesystem::resize_file(
      write(add("Enormous") / "AppIcon.icns", chunk("icns", red + chunk("pads", {}, pad), n)), n);
  ASSERT_EQ(::mkfifo((add("Pipe") / "AppIcon.icns").c_str(), 0644), 0) << "would block a reader";
  // Names with a path in them, and links that lead out of the bundle.
  for (const char* name : {"../../../Outside/AppIcon.icns", "../../../Outside/AppIcon",
                           "Art/AppIcon", "/Outside/AppIcon.icns", "..", "."}) {
    write(add("Path" + std::to_string(broken.size()), name) / "Art/AppIcon.icns", good);
  }
  std::filesystem::create_symlink(root / "Outside/AppIcon.icns", add("LinkOut") / "AppIcon.icns");
  const auto resources = add("FolderLinkOut");
  std::filesystem::remove(resources);
  std::filesystem::create_symlink(root / "Outside", resources);
  if (::geteuid() != 0) {  // permissions do not stop the superuser
    std::filesystem::permissions(write(add("Unreadable") / "AppIcon.icns", good),
                                 std::filesystem::perms::none);
  }
  for (const auto& path : broken) {
    for (double scale : {1.0, 2.0}) {
      const QImage generic = drawGenericApplicationIcon(QSize(96, 96) * scale, path);
      EXPECT_TRUE(draw(workspace.iconForFile(path), scale) == generic) << path << " " << scale;
    }
  }
}

// Four quarters: red, green, half-clear blue and clear (`turned`: the other way round).
QImage quarters(int edge, bool turned = false) {
  const QColor colours[] = {QColor(220, 40, 40), QColor(40, 200, 60), QColor(40, 80, 220, 128),
                            QColor(0, 0, 0, 0)};
  QImage image(edge, edge, QImage::Format_ARGB32);
  for (int y = 0; y < edge; ++y) {
    for (int x = 0; x < edge; ++x) {
      const int quarter = (y >= edge / 2) * 2 + (x >= edge / 2);
      image.setPixelColor(x, y, colours[turned ? 3 - quarter : quarter]);
    }
  }
  return image;
}

// The quarters' colours at their centres, to rounding (premultiplied alpha loses a step).
void expectQuarters(const QImage& image, bool turned = false) {
  ASSERT_FALSE(image.isNull());
  const QImage reference = quarters(2, turned);
  const int half = image.width() / 2;
  for (int q = 0; q < 4; ++q) {
    const QColor want = reference.pixelColor(q % 2, q / 2);
    const QColor got = image.pixelColor(q % 2 * half + half / 2, q / 2 * half + half / 2);
    EXPECT_NEAR(got.alpha(), want.alpha(), 2) << "quarter " << q;
    if (want.alpha() > 0) {
      EXPECT_LE(std::abs(got.red() - want.red()) + std::abs(got.green() - want.green()) +
                    std::abs(got.blue() - want.blue()),
                6)
          << "quarter " << q;
    }
  }
}

QByteArray jpeg2000(const QImage& picture, testing::Jpeg2000Options options = {}) {
  const QImage source = picture.convertToFormat(QImage::Format_ARGB32);
  std::vector<std::uint32_t> argb;
  for (int y = 0; y < source.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(source.constScanLine(y));
    argb.insert(argb.end(), line, line + source.width());
  }
  return QByteArray::fromStdString(
      testing::encodeJpeg2000(source.width(), source.height(), argb, options));
}

// What the process writes on its standard error stream while `work` runs.
std::string standardErrorOf(const std::function<void()>& work) {
  std::fflush(stderr);
  std::FILE* file = std::tmpfile();
  const int saved = ::dup(2);
  ::dup2(::fileno(file), 2);
  work();
  std::fflush(stderr);
  ::dup2(saved, 2);
  ::close(saved);
  std::string text(static_cast<std::size_t>(::lseek(::fileno(file), 0, SEEK_CUR)), '\0');
  std::rewind(file);
  text.resize(std::fread(text.data(), 1, text.size(), file));
  std::fclose(file);
  return text;
}

TEST(QtWorkspaceTest, DecodesJpeg2000PicturesAtTheNearestSizeQuietlyAndSurvivesBrokenOnes) {
  const QByteArray jp2 = jpeg2000(quarters(256));                                     // ic08
  const QByteArray codestream = jpeg2000(quarters(512, true), {.codestream = true});  // ic09
  QImage wide(4096, 2, QImage::Format_ARGB32);
  wide.fill(Qt::red);
  const QByteArray tooWide = jpeg2000(wide, {.resolutions = 1});
  testing::TempDir root;
  QtWorkspace workspace(std::make_shared<testing::FakeWorkspace>(), SystemRoot(root.path()));

  const std::string terminal = standardErrorOf([&] {
    ASSERT_TRUE(isJpeg2000(jp2) && isJpeg2000(codestream) && !isJpeg2000(png(quarters(8))));
    // Decoded at the smallest resolution level still as large as the picture drawn.
    EXPECT_EQ(decodeJpeg2000(codestream, 100, 2048).size(), QSize(128, 128));
    EXPECT_EQ(decodeJpeg2000(codestream, 129, 2048).size(), QSize(256, 256));
    EXPECT_EQ(decodeJpeg2000(jp2, 300, 2048).size(), QSize(256, 256));
    expectQuarters(decodeJpeg2000(codestream, 16, 2048), true);
    EXPECT_TRUE(decodeJpeg2000(jp2, 256, 255).isNull());  // too large: refused undecoded

    // 96 pixels take the PNG of 128; 192 the JPEG 2000 file of 256; 400 the codestream of 512.
    const QByteArray file =
        icns({{"ic07", png(quarters(128).mirrored())}, {"ic08", jp2}, {"ic09", codestream}});
    const auto resources = bundle(root, "Jp");
    write(resources / "AppIcon.icns", file);
    expectQuarters(decodeIconFile(resources / "AppIcon.icns", {96, 96}).mirrored());
    expectQuarters(decodeIconFile(resources / "AppIcon.icns", {400, 400}), true);
    expectQuarters(decodeIconFile(write(root / "icon.jp2", jp2), {64, 64}));
    // Many sizes at once on several workers, as a page of cells asks for them.
    const Image icon = workspace.iconForFile("/Applications/Jp.app");
    expectQuarters(toQImage(icon.render(2.0)));
    IconRasterCache cache(IconRasterCache::kDefaultByteBudget, 4);
    QObject receiver;
    int ready = 0;
    for (int size = 40; size <= 200; size += 10)
      cache.image(icon, size, &receiver, [&] { ++ready; });
    cache.waitUntilIdle();
    EXPECT_EQ(ready, 17);  // the small ones from the PNG, the large from JPEG 2000
    expectQuarters(cache.image(icon, 60, nullptr, {}).mirrored());
    expectQuarters(cache.image(icon, 200, nullptr, {}));

    // Broken pictures give the generic icon.
    const auto generic = [&](const std::string& name, const QByteArray& entry,
                             const char* type = "ic08") {
      write(bundle(root, name) / "AppIcon.icns", icns({{type, entry}}));
      const std::string path = "/Applications/" + name + ".app";
      return draw(workspace.iconForFile(path), 1.0) == drawGenericApplicationIcon({96, 96}, path);
    };
    EXPECT_FALSE(generic("Good", jp2));
    EXPECT_TRUE(generic("SignatureOnly", jp2.left(12)));
    EXPECT_TRUE(generic("HeaderOnly", jp2.left(60)));
    EXPECT_TRUE(generic("Noise", jp2.left(12) + QByteArray(3000, '\x6b')));
    EXPECT_TRUE(generic("Codestream", QByteArray("\xff\x4f\xff\x51", 4) + QByteArray(200, 0)));
    EXPECT_TRUE(generic("TooWide", tooWide));
    EXPECT_TRUE(generic("NotAPicture", QByteArray(500, '\x11')));  // neither PNG nor JPEG 2000
    EXPECT_TRUE(generic("BadRunLength", "ARGB" + QByteArray(50, '\x81'), "ic04"));
    // Cut short, bytes changed anywhere: a picture or none, never a crash.
    std::mt19937 random(12);
    const QByteArray small = jpeg2000(quarters(64));
    for (int round = 0; round < 60; ++round) {
      QByteArray bytes =
          small.left(std::uniform_int_distribution<qsizetype>(12, small.size())(random));
      for (int flips = 0; flips < 4; ++flips)
        bytes[std::uniform_int_distribution<qsizetype>(12, bytes.size() - 1)(random)] =
            static_cast<char>(random());
      EXPECT_LE(decodeJpeg2000(bytes, 64, 2048).width(), 2048);
    }

    // A PNG whose text chunk is damaged: Qt's reader would say so on the terminal.
    QImage labelled = quarters(32);
    labelled.setText("Comment", "ours");
    QByteArray damaged = png(labelled);
    damaged[damaged.indexOf("tEXt") + 16] ^= 0x55;  // the chunk's checksum no longer fits
    EXPECT_FALSE(decodeIconFile(write(root / "damaged.png", damaged), {32, 32}).isNull());
  });
  EXPECT_EQ(terminal, "");
}

}  // namespace
}  // namespace calyxa
