#pragma once

#include <QFont>

namespace calyxa {

// The font of every text in the overlay: the system's sans-serif, with Chinese characters taken
// from a Simplified Chinese face (the regional forms our texts are written in, never a tofu
// box where the system face has no Han glyphs). `pixels` is the size in points of the layout
// (device-independent pixels), whatever the screen's dots per inch.
QFont interfaceFont(double pixels, QFont::Weight weight = QFont::Normal);

}  // namespace calyxa
