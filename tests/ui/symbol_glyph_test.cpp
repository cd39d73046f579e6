#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "views/symbols/symbol_glyph.h"

namespace calyxa {
namespace {

constexpr SymbolWeight kWeights[] = {SymbolWeight::light, SymbolWeight::regular,
                                     SymbolWeight::medium, SymbolWeight::semibold,
                                     SymbolWeight::bold};

// The symbols the overlay's views, menus, modals and the tray name.
const std::set<std::string> kNamedByTheViews = {"magnifyingglass",
                                                "sparkle.magnifyingglass",
                                                "xmark.circle.fill",
                                                "xmark",
                                                "gearshape.fill",
                                                "gearshape.2.fill",
                                                "sparkles",
                                                "sparkles.rectangle.stack.fill",
                                                "chevron.compact.left",
                                                "chevron.compact.right",
                                                "chevron.left",
                                                "chevron.right",
                                                "arrow.up.forward.app",
                                                "arrow.right",
                                                "arrow.clockwise",
                                                "folder",
                                                "folder.fill",
                                                "folder.badge.plus",
                                                "folder.badge.minus",
                                                "folder.badge.gearshape",
                                                "square.grid.3x3.topleft.filled",
                                                "square.grid.3x3.fill",
                                                "pencil",
                                                "minus.circle.fill",
                                                "plus.circle.fill",
                                                "power",
                                                "power.circle.fill",
                                                "hand.raised.fill",
                                                "hand.pinch.fill",
                                                "calyxa.grid"};

// Symbol names written in the views' sources: quoted dotted names on lines that speak of symbols.
std::set<std::string> namesInViewSources() {
  const auto views = std::filesystem::path(CALYXA_SOURCE_DIR) / "src/views";
  const std::regex quoted("\"([a-z][a-z0-9]*(\\.[a-z0-9]+)*)\"");
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(views)) {
    if (!entry.is_regular_file() || entry.path().parent_path().filename() == "symbols") continue;
    std::ifstream file(entry.path());
    for (std::string line; std::getline(file, line);) {
      if (line.find("ymbol") == std::string::npos) continue;
      for (std::sregex_iterator it(line.begin(), line.end(), quoted), end; it != end; ++it)
        names.insert((*it)[1]);
    }
  }
  return names;
}

// The symbol in white on a clear square of `size` pixels (on a red disc when `twoTone`).
QImage drawn(std::string_view name, const QRectF& box, SymbolWeight weight = SymbolWeight::regular,
             int size = 60, bool twoTone = false) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  if (twoTone) {
    paintSymbol(painter, name, box, Qt::white, Qt::red, weight);
  } else {
    paintSymbol(painter, name, box, Qt::white, weight);
  }
  return image;
}

TEST(SymbolGlyphTest, EverySymbolDrawsInsideItsBoxOnlyAtEverySizeAndWeight) {
  std::set<std::string> names = kNamedByTheViews;
  names.merge(namesInViewSources());
  for (const std::string& name : names) {
    EXPECT_TRUE(hasSymbol(name)) << name;
    for (const SymbolWeight weight : kWeights) {
      for (const QRectF box : {QRectF(4, 4, 16, 16), QRectF(6.5, 4.25, 24, 24),
                               QRectF(4, 4, 48, 48), QRectF(4, 4, 48, 20)}) {
        const QImage image = drawn(name, box, weight);
        const double side = std::min(box.width(), box.height());
        const QRectF square(box.center() - QPointF(side / 2, side / 2), QSizeF(side, side));
        const QRect inside = square.toAlignedRect();
        int covered = 0, strays = 0;
        for (int y = 0; y < image.height(); ++y) {
          for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(image.pixel(x, y)) == 0) continue;
            (inside.contains(x, y) ? covered : strays) += 1;
          }
        }
        EXPECT_GT(covered, side * side / 30) << name << " in " << side;
        EXPECT_EQ(strays, 0) << name << " in " << side;
      }
    }
  }
}

TEST(SymbolGlyphTest, UnknownNamesDrawNothingAndWeightsThickenLinesAndBadgesTakeTwoColours) {
  const QImage clear = drawn("", QRectF(0, 0, 40, 40), SymbolWeight::regular, 40);
  for (const char* name : {"no.such.symbol", "magnifyingglass.", "Folder"}) {
    EXPECT_FALSE(hasSymbol(name)) << name;
    EXPECT_EQ(drawn(name, QRectF(0, 0, 40, 40), SymbolWeight::regular, 40), clear);
  }
  EXPECT_EQ(drawn("xmark", QRectF(0, 0, 0, 40), SymbolWeight::regular, 40), clear);
  EXPECT_EQ(drawn("folder", QRectF(0, 0, 0, 0), SymbolWeight::regular, 40, true), clear);

  const auto ink = [](const char* name, SymbolWeight weight) {
    const QImage image = drawn(name, QRectF(0, 0, 48, 48), weight, 48);
    double total = 0;
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 48; ++x)
        total += qAlpha(image.pixel(x, y));
    return total;
  };
  for (const char* name : {"xmark", "chevron.left", "folder", "magnifyingglass"}) {
    for (std::size_t i = 1; i < std::size(kWeights); ++i)
      EXPECT_GT(ink(name, kWeights[i]), ink(name, kWeights[i - 1])) << name;
  }

  // A badge in two colours: a white mark on a red disc; in one, the mark cut out of the disc.
  const QImage twoTone = drawn("minus.circle.fill", QRectF(0, 0, 40, 40), {}, 40, true);
  EXPECT_EQ(twoTone.pixelColor(20, 20), QColor(Qt::white));
  EXPECT_EQ(twoTone.pixelColor(20, 5), QColor(Qt::red));
  const QImage oneTone = drawn("minus.circle.fill", QRectF(0, 0, 40, 40), {}, 40);
  EXPECT_EQ(qAlpha(oneTone.pixel(20, 20)), 0);
  EXPECT_EQ(oneTone.pixelColor(20, 5), QColor(Qt::white));
}

// A contact sheet of every symbol at 16, 24 and 48 points, the weights at 24, and at twice the
// pixels, for a person to judge: renders/symbols.png and renders/symbols@2x.png.
TEST(SymbolGlyphTest, ContactSheet) {
  const auto& names = symbolNames();
  const int rowHeight = 56, columnWidth = 450, rows = (static_cast<int>(names.size()) + 1) / 2;
  for (const qreal ratio : {1.0, 2.0}) {
    QImage sheet((QSizeF(2 * columnWidth, rows * rowHeight) * ratio).toSize(),
                 QImage::Format_ARGB32_Premultiplied);
    sheet.setDevicePixelRatio(ratio);
    sheet.fill(QColor(24, 30, 44));
    QPainter painter(&sheet);
    QFont font;
    font.setPixelSize(11);
    painter.setFont(font);
    for (std::size_t i = 0; i < names.size(); ++i) {
      const QPointF origin((i % 2) * columnWidth, (i / 2) * rowHeight);
      const std::string name(names[i]);
      painter.setPen(QColor(255, 255, 255, 160));
      painter.drawText(QRectF(origin + QPointF(8, 0), QSizeF(150, rowHeight)),
                       Qt::AlignVCenter | Qt::TextWrapAnywhere, QString::fromStdString(name));
      double x = origin.x() + 160;
      for (const int side : {16, 24, 48}) {
        paintSymbol(painter, name, QRectF(x, origin.y() + (rowHeight - side) / 2.0, side, side),
                    Qt::white);
        x += side + 10;
      }
      for (const SymbolWeight weight : kWeights) {
        paintSymbol(painter, name, QRectF(x, origin.y() + 16, 24, 24), QColor(140, 215, 255),
                    weight);
        x += 30;
      }
    }
    painter.end();
    std::filesystem::create_directories(CALYXA_RENDER_DIR);
    const std::string file = ratio == 1.0 ? "/symbols.png" : "/symbols@2x.png";
    EXPECT_TRUE(sheet.save(QString::fromStdString(CALYXA_RENDER_DIR + file)));
  }
}

}  // namespace
}  // namespace calyxa
