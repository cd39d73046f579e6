#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace calyxa {

// Whether property-list bytes are safe to hand to libplist. Its parsers recurse once per level of
// nesting and expand a shared binary object once per reference, so a small hostile file could
// exhaust the stack or multiply into billions of nodes (or, in XML, keys into minutes). A binary
// dictionary key holding U+0000 is refused too: libplist aborts on it or cuts it short.
// Structurally broken input passes: the parser itself rejects it.
bool plistWithinParserLimits(std::string_view bytes);

// The XML with every integer written with leading zeros ("010") written without them: libplist
// reads those as octal, where property lists mean decimal. Nothing when there is none.
std::optional<std::string> xmlWithDecimalIntegers(std::string_view xml);

// Deeper nesting than this is refused (the deepest real property lists have a dozen levels).
inline constexpr int kMaxPlistElementDepth = 512;
// More dictionary keys than this in an XML document are refused: libplist's XML reader takes
// time quadratic in the keys of a dictionary (a second for some 100,000 on a slow machine).
inline constexpr long long kMaxPlistXmlKeys = 50'000;
// More nodes than this, counting every reference to a shared object, is refused.
inline constexpr long long kMaxPlistExpandedNodes = 2'000'000;

}  // namespace calyxa
