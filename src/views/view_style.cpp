#include "views/view_style.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>

namespace calyxa {

QFont uiFont(double size, QFont::Weight weight) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  QStringList families{font.family()};
  for (const char* cjk :
       {"Noto Sans CJK SC", "Noto Sans SC", "WenQuanYi Micro Hei", "Noto Color Emoji"}) {
    families << QString::fromLatin1(cjk);
  }
  font.setFamilies(families);
  // Sizes are in points of the layout, which are logical pixels.
  const QScreen* screen = QGuiApplication::primaryScreen();
  const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
  font.setPointSizeF(size * 72.0 / dpi);
  font.setWeight(weight);
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

}  // namespace calyxa
