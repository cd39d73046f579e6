#include "platform/qt/icns_directory.h"

#include <algorithm>
#include <map>

namespace calyxa {
namespace {

constexpr qsizetype kHeader = 8;

quint32 bigEndian32(const QByteArray& bytes, qsizetype at) {
  const auto byte = [&](qsizetype i) { return static_cast<quint32>(static_cast<uchar>(bytes[i])); };
  return byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3);
}

void appendBigEndian32(QByteArray& bytes, quint32 value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    bytes.append(static_cast<char>((value >> shift) & 0xFF));
}

// Nominal edges of the icon types; PNG payloads state their own size, which wins.
const std::map<std::string, int>& nominalEdges() {
  static const std::map<std::string, int> edges = {
      {"is32", 16},   {"il32", 32}, {"ih32", 48}, {"it32", 128}, {"icp4", 16},  {"icp5", 32},
      {"icp6", 64},   {"ic04", 16}, {"ic05", 32}, {"ic07", 128}, {"ic08", 256}, {"ic09", 512},
      {"ic10", 1024}, {"ic11", 32}, {"ic12", 64}, {"ic13", 256}, {"ic14", 512},
  };
  return edges;
}

const std::map<std::string, std::string>& masks() {
  static const std::map<std::string, std::string> pairs = {
      {"is32", "s8mk"}, {"il32", "l8mk"}, {"ih32", "h8mk"}, {"it32", "t8mk"}};
  return pairs;
}

// The larger side of a PNG payload, from its header chunk; 0 when it is no PNG.
int pngEdge(const QByteArray& bytes, qsizetype offset, qsizetype length) {
  static const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
  if (length < 24 || bytes.mid(offset, 8) != signature) return 0;
  if (bytes.mid(offset + 12, 4) != "IHDR") return 0;
  const quint32 width = bigEndian32(bytes, offset + 16);
  const quint32 height = bigEndian32(bytes, offset + 20);
  const quint32 edge = std::max(width, height);
  return edge > 1u << 30 ? 1 << 30 : static_cast<int>(edge);
}

}  // namespace

std::optional<std::vector<IcnsEntry>> readIcnsDirectory(const QByteArray& bytes) {
  if (bytes.size() < kHeader || !bytes.startsWith("icns")) return std::nullopt;
  if (static_cast<qsizetype>(bigEndian32(bytes, 4)) != bytes.size()) return std::nullopt;
  std::vector<IcnsEntry> entries;
  qsizetype at = kHeader;
  while (at < bytes.size()) {
    if (bytes.size() - at < kHeader) return std::nullopt;
    const std::string type = bytes.mid(at, 4).toStdString();
    const qsizetype total = bigEndian32(bytes, at + 4);
    if (total < kHeader || total > bytes.size() - at) return std::nullopt;
    const qsizetype length = total - kHeader;
    if (const auto nominal = nominalEdges().find(type); nominal != nominalEdges().end()) {
      const int stated = pngEdge(bytes, at + kHeader, length);
      entries.push_back({type, at + kHeader, length, stated > 0 ? stated : nominal->second});
    }
    at += total;
  }
  return entries;
}

std::vector<IcnsEntry> icnsEntriesByPreference(std::vector<IcnsEntry> entries, int edge,
                                               int maxEdge) {
  std::erase_if(entries, [maxEdge](const IcnsEntry& e) { return e.edge > maxEdge; });
  std::stable_sort(entries.begin(), entries.end(), [edge](const IcnsEntry& a, const IcnsEntry& b) {
    const bool aLarge = a.edge >= edge;
    const bool bLarge = b.edge >= edge;
    if (aLarge != bLarge) return aLarge;
    return aLarge ? a.edge < b.edge : a.edge > b.edge;
  });
  return entries;
}

QByteArray singleIconIcns(const QByteArray& bytes, const IcnsEntry& entry) {
  QByteArray body;
  const auto append = [&](const std::string& type, qsizetype offset, qsizetype length) {
    body.append(type.data(), 4);
    appendBigEndian32(body, static_cast<quint32>(length + kHeader));
    body.append(bytes.constData() + offset, length);
  };
  append(entry.type, entry.offset, entry.length);
  if (const auto mask = masks().find(entry.type); mask != masks().end()) {
    // Masks are no icons and so are not in the directory: look for the one of this type.
    qsizetype at = kHeader;
    while (at + kHeader <= bytes.size()) {
      const qsizetype total = bigEndian32(bytes, at + 4);
      if (total < kHeader || total > bytes.size() - at) break;
      if (bytes.mid(at, 4).toStdString() == mask->second) {
        append(mask->second, at + kHeader, total - kHeader);
        break;
      }
      at += total;
    }
  }
  QByteArray file("icns");
  appendBigEndian32(file, static_cast<quint32>(body.size() + kHeader));
  file.append(body);
  return file;
}

}  // namespace calyxa
