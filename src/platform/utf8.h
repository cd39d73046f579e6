#pragma once

#include <string>
#include <string_view>

namespace calyxa {

// Whether `text` is well-formed UTF-8 (no stray bytes, overlong forms or surrogates). Names and
// paths must be before they enter the catalogue: they travel through JSON, which cannot carry
// anything else unchanged.
bool isValidUtf8(std::string_view text);

// `text` as it may be shown on a terminal in a message: control characters (C0, DEL, C1), a
// backslash and bytes that are not UTF-8 written as escapes (\n, \t, \\, \xNN, \u009b); so
// that bytes read from a file can neither drive the terminal nor cut the message short.
std::string printableText(std::string_view text);

}  // namespace calyxa
