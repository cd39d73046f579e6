#include <gtest/gtest.h>
#include <unistd.h>

#include <QBuffer>
#include <QtEndian>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/qt/bundle_icon.h"
#include "platform/qt/generic_icon.h"
#include "platform/qt/jpeg2000_image.h"
#include "platform/qt/qt_image.h"
#include "platform/qt/qt_workspace.h"
#include "support/app_bundle_tree.h"
#include "support/fakes.h"
#include "support/jpeg2000_encoder.h"
#include "support/temp_dir.h"
#include "views/icon_raster_cache.h"

namespace calyxa {
namespace {

// Four quarters: red, green, half-transparent blue and clear (or the colours turned round).
QImage quarters(int edge, bool turned = false) {
  QImage image(edge, edge, QImage::Format_ARGB32);
  const QColor colours[] = {QColor(220, 40, 40), QColor(40, 200, 60), QColor(40, 80, 220, 128),
                            QColor(0, 0, 0, 0)};
  for (int y = 0; y < edge; ++y) {
    for (int x = 0; x < edge; ++x) {
      const int quarter = (y >= edge / 2) * 2 + (x >= edge / 2);
      image.setPixelColor(x, y, colours[turned ? 3 - (quarter ^ 1) : quarter]);
    }
  }
  return image;
}

// A JPEG 2000 file (or bare codestream) of `picture` made with OpenJPEG's encoder.
QByteArray encode(const QImage& picture, testing::Jpeg2000Options options = {}) {
  const QImage source = picture.convertToFormat(QImage::Format_ARGB32);
  std::vector<std::uint32_t> argb;
  for (int y = 0; y < source.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(source.constScanLine(y));
    argb.insert(argb.end(), line, line + source.width());
  }
  return QByteArray::fromStdString(
      testing::encodeJpeg2000(source.width(), source.height(), argb, options));
}

QByteArray png(const QImage& image) {
  QBuffer buffer;
  image.save(&buffer, "PNG");
  return buffer.data();
}

QByteArray chunk(const char* type, const QByteArray& data) {
  const quint32 length = qToBigEndian(static_cast<quint32>(data.size() + 8));
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

// Everything written to the standard error stream while it lives.
class StderrCapture {
 public:
  StderrCapture() : file_(std::tmpfile()), saved_(::dup(2)) {
    std::fflush(stderr);
    ::dup2(::fileno(file_), 2);
  }
  std::string text() {
    std::fflush(stderr);
    ::dup2(saved_, 2);
    ::close(saved_);
    std::rewind(file_);
    std::string all;
    for (int c; (c = std::fgetc(file_)) != EOF;)
      all.push_back(static_cast<char>(c));
    std::fclose(file_);
    return all;
  }

 private:
  std::FILE* file_;
  int saved_;
};

// Colours agree to rounding (premultiplied alpha loses a step or two); clear is clear.
void expectColour(const QImage& image, QPoint at, QColor expected) {
  const QColor actual = image.pixelColor(at);
  EXPECT_NEAR(actual.alpha(), expected.alpha(), 3) << "at " << at.x() << "," << at.y();
  if (expected.alpha() == 0) return;
  EXPECT_NEAR(actual.red(), expected.red(), 3) << "at " << at.x() << "," << at.y();
  EXPECT_NEAR(actual.green(), expected.green(), 3) << "at " << at.x() << "," << at.y();
  EXPECT_NEAR(actual.blue(), expected.blue(), 3) << "at " << at.x() << "," << at.y();
}

void expectQuarters(const QImage& image, bool turned = false) {
  ASSERT_FALSE(image.isNull());
  const QImage reference = quarters(4, turned);
  const int e = image.width();
  for (const QPoint quarter : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)}) {
    expectColour(image, quarter * (e / 2) + QPoint(e / 4, e / 4),
                 reference.pixelColor(quarter * 2));
  }
}

TEST(Jpeg2000IconTest, IcnsEntriesInJpeg2000AreDecodedAtTheNearestSizeQuietly) {
  StderrCapture stderrText;
  const QByteArray jp2 = encode(quarters(256));                                     // ic08
  const QByteArray codestream = encode(quarters(512, true), {.codestream = true});  // ic09
  ASSERT_TRUE(isJpeg2000(jp2) && isJpeg2000(codestream) && !isJpeg2000(png(quarters(8))));

  // Decoded at the smallest resolution level still as large as the picture drawn.
  EXPECT_EQ(decodeJpeg2000(codestream, 100, 2048).size(), QSize(128, 128));
  EXPECT_EQ(decodeJpeg2000(codestream, 129, 2048).size(), QSize(256, 256));
  EXPECT_EQ(decodeJpeg2000(jp2, 300, 2048).size(), QSize(256, 256));
  expectQuarters(decodeJpeg2000(jp2, 256, 2048));
  expectQuarters(decodeJpeg2000(codestream, 16, 2048), true);
  EXPECT_TRUE(decodeJpeg2000(jp2, 256, 255).isNull());  // too large: refused before decoding

  testing::TempDir root;
  const auto file =
      write(root / "AppIcon.icns",
            icns({{"ic07", png(quarters(128).mirrored())}, {"ic08", jp2}, {"ic09", codestream}}));
  // 96 takes the PNG of 128; 192 the JPEG 2000 file of 256; 400 the codestream of 512.
  expectQuarters(decodeIconFile(file, {96, 96}).mirrored());
  expectQuarters(decodeIconFile(file, {192, 192}));
  expectQuarters(decodeIconFile(file, {400, 400}), true);
  // A JPEG 2000 file named as the icon on its own.
  expectQuarters(decodeIconFile(write(root / "icon.jp2", jp2), {64, 64}));

  // Through the workspace, as the views draw it.
  PlistDictionary keys{{"CFBundleIconFile", "AppIcon"}};
  testing::writeAppBundle(root.path(), "/Applications/Jp.app", {.extraKeys = keys});
  write(root / "Applications/Jp.app/Contents/Resources/AppIcon.icns", icns({{"ic08", jp2}}));
  QtWorkspace workspace(std::make_shared<testing::FakeWorkspace>(), SystemRoot(root.path()));
  const Image icon = workspace.iconForFile("/Applications/Jp.app");
  expectQuarters(toQImage(icon.render(2.0)));
  // Many sizes at once on several workers, as a page of cells asks for them.
  IconRasterCache cache(IconRasterCache::kDefaultByteBudget, 4);
  QObject receiver;
  int ready = 0;
  for (int size = 16; size < 80; size += 4)
    cache.image(icon, size, &receiver, [&] { ++ready; });
  cache.waitUntilIdle();
  EXPECT_EQ(ready, 16);
  expectQuarters(cache.image(icon, 64, nullptr, {}));

  // A PNG whose text chunk is damaged: Qt's reader would complain of it on the terminal.
  QImage labelled = quarters(32);
  labelled.setText("Comment", "ours");
  QByteArray damaged = png(labelled);
  const qsizetype text = damaged.indexOf("tEXt");
  ASSERT_GT(text, 0);
  damaged[text + 4 + 8 + 4] = damaged[text + 4 + 8 + 4] ^ 0x55;  // the checksum no longer fits
  EXPECT_FALSE(decodeIconFile(write(root / "damaged.png", damaged), {32, 32}).isNull());
  EXPECT_EQ(stderrText.text(), "");
}

TEST(Jpeg2000IconTest, MalformedJpeg2000GivesTheGenericIconAndNeverCrashes) {
  StderrCapture stderrText;
  const QByteArray jp2 = encode(quarters(64));
  QImage wideImage(4096, 2, QImage::Format_ARGB32);
  wideImage.fill(Qt::red);
  const QByteArray wide = encode(wideImage, {.resolutions = 1});
  testing::TempDir root;
  QtWorkspace workspace(std::make_shared<testing::FakeWorkspace>(), SystemRoot(root.path()));
  const auto app = [&](const std::string& name, const QByteArray& entry) {
    PlistDictionary keys{{"CFBundleIconFile", "AppIcon"}};
    const std::string path = "/Applications/" + name + ".app";
    testing::writeAppBundle(root.path(), path, {.extraKeys = keys});
    write(root / ("Applications/" + name + ".app/Contents/Resources/AppIcon.icns"),
          icns({{"ic08", entry}}));
    return toQImage(workspace.iconForFile(path).render(1.0)) ==
           drawGenericApplicationIcon({96, 96}, path);
  };
  EXPECT_FALSE(app("Good", jp2));
  EXPECT_TRUE(app("SignatureOnly", jp2.left(12)));
  EXPECT_TRUE(app("HeaderOnly", jp2.left(60)));
  EXPECT_TRUE(app("Noise", jp2.left(12) + QByteArray(3000, '\x6b')));
  EXPECT_TRUE(app("Codestream", QByteArray("\xff\x4f\xff\x51", 4) + QByteArray(200, '\x00')));
  EXPECT_TRUE(app("TooWide", wide));
  EXPECT_TRUE(app("NotAPicture", QByteArray(500, '\x11')));  // neither PNG nor JPEG 2000

  // Cut short or with bytes changed anywhere: a picture of the right size or none, no crash.
  std::mt19937 random(12);
  for (int round = 0; round < 60; ++round) {
    QByteArray bytes = jp2.left(std::uniform_int_distribution<qsizetype>(12, jp2.size())(random));
    for (int flips = 0; flips < 4; ++flips) {
      const auto at = std::uniform_int_distribution<qsizetype>(12, bytes.size() - 1)(random);
      bytes[at] = static_cast<char>(random());
    }
    const QImage image = decodeJpeg2000(bytes, 64, 2048);
    EXPECT_LE(image.width(), 2048);
  }
  EXPECT_EQ(stderrText.text(), "");
}

}  // namespace
}  // namespace calyxa
