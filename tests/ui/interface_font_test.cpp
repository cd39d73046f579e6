#include <gtest/gtest.h>

#include <QGlyphRun>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QTextLayout>
#include <filesystem>

#include "views/interface_font.h"

namespace calyxa {
namespace {

// Texts of the overlay, every kind of character they hold: Han, full-width punctuation, Latin.
const QString kTexts[] = {"搜索",           "未找到「Safari」",
                          "松手合并文件夹", "在访达 (Finder) 中显示",
                          "移至第 3 页",    "（当前已加载 12 款应用）。"};

// The face each character of `text` is drawn with.
std::vector<std::pair<QChar, QString>> facesOf(const QString& text, const QFont& font) {
  QTextLayout layout(text, font);
  layout.beginLayout();
  layout.createLine();
  layout.endLayout();
  std::vector<std::pair<QChar, QString>> faces;
  for (int i = 0; i < text.size(); ++i) {
    for (const QGlyphRun& run : layout.glyphRuns(i, 1))
      faces.emplace_back(text[i], run.rawFont().familyName());
  }
  return faces;
}

TEST(InterfaceFontTest, ChineseComesFromASimplifiedChineseFaceAndLatinFromTheSystemSans) {
  const QFont font = interfaceFont(13.5, QFont::DemiBold);
  EXPECT_EQ(font.pixelSize(), 14);
  EXPECT_EQ(font.weight(), QFont::DemiBold);
  const QString system = QFontInfo(QGuiApplication::font()).family();
  for (const QString& text : kTexts) {
    for (const auto& [character, face] : facesOf(text, font)) {
      if (character.isSpace()) continue;
      if (character.script() == QChar::Script_Han || character.unicode() >= 0x3000) {
        EXPECT_TRUE(face.contains("CJK SC") || face.endsWith(" SC") || face.contains("WenQuanYi"))
            << text.toStdString() << ": " << face.toStdString();
      } else if (character.isLetter()) {
        EXPECT_EQ(face, system) << text.toStdString();
      }
    }
  }

  // For a person to look at: every text at the sizes and weights the views use.
  QImage sheet(760, 40 + 26 * static_cast<int>(std::size(kTexts)), QImage::Format_RGB32);
  sheet.fill(QColor(24, 30, 44));
  QPainter painter(&sheet);
  painter.setPen(Qt::white);
  int y = 30;
  const std::pair<double, QFont::Weight> styles[] = {{12.5, QFont::Medium},
                                                     {13.5, QFont::DemiBold},
                                                     {16, QFont::DemiBold},
                                                     {11.5, QFont::Normal},
                                                     {10.5, QFont::Bold}};
  for (std::size_t i = 0; i < std::size(kTexts); ++i, y += 26) {
    painter.setFont(interfaceFont(styles[i % 5].first, styles[i % 5].second));
    painter.drawText(16, y, kTexts[i]);
  }
  painter.end();
  std::filesystem::create_directories(CALYXA_RENDER_DIR);
  EXPECT_TRUE(sheet.save(CALYXA_RENDER_DIR "/interface_text.png"));
}

}  // namespace
}  // namespace calyxa
