#pragma once

namespace calyxa {

// Icons of other programs are often slightly off (odd colour profiles, stray chunks, damaged
// entries) and Qt's image readers say so on the terminal for each one, where the user can do
// nothing about it. From the first call on, those complaints are dropped: the "qt.gui.imageio"
// logging categories, and the .icns reader's own warnings. Every other message still goes where
// the rules and handlers in force send it. Any thread may call it, any number of times.
void keepImageReadersQuiet();

}  // namespace calyxa
