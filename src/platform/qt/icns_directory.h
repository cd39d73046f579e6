#pragma once

#include <QByteArray>
#include <optional>
#include <string>
#include <vector>

namespace calyxa {

// The table of contents of an .icns file: its icon entries, each with the edge in pixels it
// holds. Entries that are not icons (table of contents, version, masks, dark variants) are left
// out. Nothing when the bytes are not a well-formed .icns: wrong magic, a declared length that
// differs from the data (a truncated or padded file), an entry running past the end.
struct IcnsEntry {
  std::string type;  // four characters, e.g. "ic08"
  qsizetype offset = 0;
  qsizetype length = 0;  // bytes of data after the entry's 8-byte header
  int edge = 0;          // pixels
};

std::optional<std::vector<IcnsEntry>> readIcnsDirectory(const QByteArray& bytes);

// Entries in the order to try for a picture `edge` pixels wide: the smallest that is at least
// that large first, then larger ones, then the others from the largest down. Entries wider
// than `maxEdge` are left out.
std::vector<IcnsEntry> icnsEntriesByPreference(std::vector<IcnsEntry> entries, int edge,
                                               int maxEdge);

// A one-icon .icns holding `entry` (and the mask that goes with an old-style entry), for a
// decoder that should see nothing else.
QByteArray singleIconIcns(const QByteArray& bytes, const IcnsEntry& entry);

}  // namespace calyxa
