#include "views/controls/system_font.h"

#include <QStringList>

namespace calyxa {

QFont systemFont(double points, QFont::Weight weight) {
  QFont font;
  font.setFamilies(QStringList{"Noto Sans CJK SC", "Noto Sans CJK JP", "Noto Sans", "DejaVu Sans"});
  // Points of the views are pixels at scale 1; a pixel size keeps text the size the layout expects
  // whatever DPI the screen reports. Pixel sizes are whole, so half points round.
  font.setPixelSize(std::max(1, static_cast<int>(points + 0.5)));
  font.setWeight(weight);
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

}  // namespace calyxa
