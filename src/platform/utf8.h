#pragma once

#include <string_view>

namespace calyxa {

// Whether `text` is well-formed UTF-8 (no stray bytes, overlong forms or surrogates). Names and
// paths must be before they enter the catalogue: they travel through JSON, which cannot carry
// anything else unchanged.
bool isValidUtf8(std::string_view text);

}  // namespace calyxa
