#include "views/controls/system_font.h"

#include <QStringList>

namespace calyxa {

QFont systemFont(double points, QFont::Weight weight) {
  QFont font = uiFont(points, weight);
  QStringList families{"Noto Sans CJK SC", "Noto Sans SC"};
  families << font.families();
  font.setFamilies(families);
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

}  // namespace calyxa
