#include "views/interface_font.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <QStringList>
#include <cmath>

namespace calyxa {

QFont interfaceFont(double pixels, QFont::Weight weight) {
  QFont font = QGuiApplication::font();
  // The face the system's font resolves to: its name may be an alias ("Sans Serif") that a list
  // of families would pass over for the next one.
  QStringList families = {QFontInfo(font).family()};
  // Debian's fonts-noto-cjk first; the others are what other systems tend to have.
  families.append({"Noto Sans CJK SC", "Source Han Sans SC", "Noto Sans SC", "WenQuanYi Micro Hei",
                   "WenQuanYi Zen Hei", "Droid Sans Fallback"});
  font.setFamilies(families);
  font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
  font.setWeight(weight);
  return font;
}

}  // namespace calyxa
