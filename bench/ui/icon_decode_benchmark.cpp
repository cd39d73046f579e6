// Icons as real bundles store them: small PNG pictures and large JPEG 2000 ones in an .icns.
// How long one takes to decode at the sizes the grid draws, and how long a page of 35 takes to
// arrive through the views' cache once the overlay asks for it.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QtEndian>
#include <filesystem>
#include <fstream>

#include "platform/qt/bundle_icon.h"
#include "platform/qt/jpeg2000_image.h"
#include "platform/qt/qt_workspace.h"
#include "support/app_bundle_tree.h"
#include "support/fakes.h"
#include "support/jpeg2000_encoder.h"
#include "support/temp_dir.h"
#include "views/icon_raster_cache.h"

namespace calyxa {
namespace {

// Something like an icon: a rounded tile with gradients and fine detail, clear around it.
QImage iconPicture(int edge, int seed) {
  QImage image(edge, edge, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  QLinearGradient fill(0, 0, edge, edge);
  fill.setColorAt(0, QColor::fromHsv(seed * 37 % 360, 160, 240));
  fill.setColorAt(1, QColor::fromHsv(seed * 53 % 360, 220, 120));
  painter.setBrush(fill);
  painter.setPen(Qt::NoPen);
  painter.drawRoundedRect(QRectF(edge * 0.1, edge * 0.1, edge * 0.8, edge * 0.8), edge * 0.18,
                          edge * 0.18);
  painter.setPen(QPen(QColor(255, 255, 255, 180), edge / 128.0));
  for (int i = 0; i < 24; ++i)
    painter.drawEllipse(QPointF(edge / 2.0, edge / 2.0), edge * 0.01 * (i + 4), edge * 0.012 * i);
  return image;
}

QByteArray jpeg2000(const QImage& picture) {
  std::vector<std::uint32_t> argb;
  for (int y = 0; y < picture.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
    argb.insert(argb.end(), line, line + picture.width());
  }
  return QByteArray::fromStdString(
      testing::encodeJpeg2000(picture.width(), picture.height(), argb, {.compression = 20}));
}

QByteArray png(const QImage& picture) {
  QBuffer buffer;
  picture.save(&buffer, "PNG");
  return buffer.data();
}

QByteArray chunk(const char* type, const QByteArray& data) {
  const quint32 length = qToBigEndian(static_cast<quint32>(data.size() + 8));
  return QByteArray(type, 4) + QByteArray(reinterpret_cast<const char*>(&length), 4) + data;
}

// PNG at 32 and 128, JPEG 2000 at 256, 512 and 1024, as many applications ship them.
QByteArray realisticIcns(int seed) {
  QByteArray body =
      chunk("ic11", png(iconPicture(32, seed))) + chunk("ic07", png(iconPicture(128, seed)));
  for (const auto& [type, edge] :
       {std::pair("ic08", 256), std::pair("ic09", 512), std::pair("ic10", 1024)}) {
    body += chunk(type, jpeg2000(iconPicture(edge, seed)));
  }
  return chunk("icns", body);
}

struct IconTree {
  IconTree() {
    // Five designs among the 35: encoding is slow, and each file is decoded on its own anyway.
    std::vector<QByteArray> designs;
    for (int seed = 0; seed < 5; ++seed)
      designs.push_back(realisticIcns(seed));
    for (int i = 0; i < 35; ++i) {
      const std::string path = "/Applications/App" + std::to_string(i) + ".app";
      testing::writeAppBundle(root.path(), path,
                              {.extraKeys = PlistDictionary{{"CFBundleIconFile", "AppIcon"}}});
      const auto resources =
          root / ("Applications/App" + std::to_string(i) + ".app/Contents/Resources");
      std::filesystem::create_directories(resources);
      const QByteArray& bytes = designs[i % designs.size()];
      std::ofstream(resources / "AppIcon.icns", std::ios::binary)
          .write(bytes.constData(), bytes.size());
      paths.push_back(path);
    }
  }
  testing::TempDir root;
  std::vector<std::string> paths;
};

IconTree& tree() {
  static IconTree shared;
  return shared;
}

// One icon file decoded at an edge in pixels: 92 and 184 (a cell's icon at ratio 1 and 2) take
// the PNG of 128 and the JPEG 2000 picture of 256; 600 takes the whole 1024 one.
void BM_DecodeIcnsFile(benchmark::State& state) {
  const int edge = static_cast<int>(state.range(0));
  const auto file = tree().root / "Applications/App0.app/Contents/Resources/AppIcon.icns";
  for (auto _ : state)
    benchmark::DoNotOptimize(decodeIconFile(file, {edge, edge}));
}
BENCHMARK(BM_DecodeIcnsFile)->Arg(92)->Arg(184)->Arg(600)->Unit(benchmark::kMillisecond);

// The 1024-pixel JPEG 2000 picture for a 128-pixel icon: at its fourth level against the whole.
void BM_DecodeJpeg2000(benchmark::State& state) {
  const QByteArray bytes = jpeg2000(iconPicture(1024, 3));
  const int edge = static_cast<int>(state.range(0));
  for (auto _ : state)
    benchmark::DoNotOptimize(decodeJpeg2000(bytes, edge, 2048));
}
BENCHMARK(BM_DecodeJpeg2000)->Arg(128)->Arg(1024)->Unit(benchmark::kMillisecond);

// A page of 35 cells asking for their icons at 92 or 184 pixels (ratio 1 or 2), until the last
// arrives.
void BM_PageOfIconsThroughTheCache(benchmark::State& state) {
  const int edge = static_cast<int>(state.range(0));
  QtWorkspace workspace(std::make_shared<testing::FakeWorkspace>(), SystemRoot(tree().root.path()));
  for (auto _ : state) {
    IconRasterCache cache;
    QObject receiver;
    int arrived = 0;
    for (const auto& path : tree().paths)
      cache.image(workspace.iconForFile(path), edge, &receiver, [&] { ++arrived; });
    cache.waitUntilIdle();
    if (arrived != 35) state.SkipWithError("an icon did not arrive");
  }
}
BENCHMARK(BM_PageOfIconsThroughTheCache)
    ->Arg(92)
    ->Arg(184)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace calyxa
