#pragma once

#include <string_view>

namespace calyxa {

// Whether property-list bytes are safe to hand to libplist. Its parsers recurse once per level of
// nesting and expand a shared binary object once per reference, so a small hostile file could
// exhaust the stack or multiply into billions of nodes. Structurally broken input passes: the
// parser itself rejects it.
bool plistWithinParserLimits(std::string_view bytes);

// Deeper nesting than this is refused (the deepest real property lists have a dozen levels).
inline constexpr int kMaxPlistElementDepth = 512;
// More nodes than this, counting every reference to a shared object, is refused.
inline constexpr long long kMaxPlistExpandedNodes = 2'000'000;

}  // namespace calyxa
