#include "platform/qt/bundle_icon.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cctype>
#include <set>
#include <string>

#include "platform/posix/bundle_info.h"
#include "platform/posix/file_io.h"
#include "platform/qt/icns_directory.h"
#include "platform/qt/jpeg2000_image.h"
#include "platform/qt/quiet_image_readers.h"

namespace calyxa {
namespace {

bool isPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

bool endsWithIcns(const std::string& name) {
  if (name.size() < 5) return false;
  std::string extension = name.substr(name.size() - 5);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension == ".icns";
}

bool isInside(const std::filesystem::path& path, const std::filesystem::path& folder) {
  const auto relative = path.lexically_relative(folder);
  return !relative.empty() && *relative.begin() != ".." && relative != ".";
}

// Decodes a whole image file, refusing pictures larger than the limit before decoding them.
QImage decodeWhole(const QByteArray& bytes, const QByteArray& format) {
  QByteArray data = bytes;  // QBuffer needs a mutable array; the copy shares the bytes
  QBuffer buffer(&data);
  if (!buffer.open(QIODevice::ReadOnly)) return {};
  QImageReader reader(&buffer, format);
  const QSize declared = reader.size();
  if (declared.isValid() && std::max(declared.width(), declared.height()) > kMaxIconEdge) {
    return {};
  }
  QImage image = reader.read();
  if (image.isNull() || std::max(image.width(), image.height()) > kMaxIconEdge) return {};
  return image;
}

// Types whose payload is only ever a PNG or a JPEG 2000 picture.
bool holdsOnlyCompressedPictures(const std::string& type) {
  static const std::set<std::string> types = {"ic07", "ic08", "ic09", "ic10", "ic11",
                                              "ic12", "ic13", "ic14", "icp6"};
  return types.contains(type);
}

// JPEG 2000 goes to OpenJPEG (Qt has no decoder for it here, and would say so on the terminal
// for every icon), PNG to Qt's PNG reader, the old run-length formats to Qt's .icns reader.
QImage decodeIcnsEntry(const QByteArray& bytes, const IcnsEntry& entry, int edge) {
  const QByteArray payload =
      QByteArray::fromRawData(bytes.constData() + entry.offset, entry.length);
  if (isJpeg2000(payload)) return decodeJpeg2000(payload, edge, kMaxIconEdge);
  if (payload.startsWith("\x89PNG\r\n\x1a\n")) return decodeWhole(payload, "png");
  if (holdsOnlyCompressedPictures(entry.type)) return {};
  return decodeWhole(singleIconIcns(bytes, entry), "icns");
}

QImage decodeIcns(const QByteArray& bytes, int edge) {
  const auto directory = readIcnsDirectory(bytes);
  if (!directory) return {};
  for (const IcnsEntry& entry : icnsEntriesByPreference(*directory, edge, kMaxIconEdge)) {
    QImage image = decodeIcnsEntry(bytes, entry, edge);
    if (!image.isNull()) return image;
  }
  return {};
}

}  // namespace

std::optional<std::filesystem::path> bundleIconFile(const std::filesystem::path& realBundlePath) {
  const auto info = readBundleInfoDictionary(realBundlePath);
  if (!info) return std::nullopt;
  const auto name = stringEntry(*info, "CFBundleIconFile");
  if (!name || !isPlainFileName(*name)) return std::nullopt;

  std::error_code error;
  const auto bundle = std::filesystem::canonical(realBundlePath, error);
  if (error) return std::nullopt;
  const auto resources = realBundlePath / "Contents" / "Resources";
  std::vector<std::string> candidates;
  if (endsWithIcns(*name)) {
    candidates = {*name};
  } else {
    candidates = {*name + ".icns", *name};
  }
  for (const auto& candidate : candidates) {
    const auto real = std::filesystem::canonical(resources / candidate, error);
    if (error || !isInside(real, bundle)) continue;
    if (std::filesystem::is_regular_file(real, error)) return real;
  }
  return std::nullopt;
}

QImage decodeIconFile(const std::filesystem::path& path, QSize pixels) {
  if (pixels.isEmpty()) return {};
  keepImageReadersQuiet();
  const FileReadResult file = readFileBytes(path, kMaxIconFileBytes);
  if (file.status != ReadStatus::ok) return {};
  const QByteArray bytes = QByteArray::fromStdString(file.bytes);
  const int edge = std::max(pixels.width(), pixels.height());
  QImage image = bytes.startsWith("icns") ? decodeIcns(bytes, edge)
                 : isJpeg2000(bytes)      ? decodeJpeg2000(bytes, edge, kMaxIconEdge)
                                          : decodeWhole(bytes, {});
  if (image.isNull()) return {};
  image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  if (image.size() == pixels) return image;
  // A picture that is not square keeps its proportions, centred on a clear square.
  const QImage scaled = image.scaled(pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  if (scaled.size() == pixels) return scaled;
  QImage canvas(pixels, QImage::Format_ARGB32_Premultiplied);
  canvas.fill(Qt::transparent);
  QPainter painter(&canvas);
  painter.drawImage((pixels.width() - scaled.width()) / 2, (pixels.height() - scaled.height()) / 2,
                    scaled);
  painter.end();
  return canvas;
}

}  // namespace calyxa
