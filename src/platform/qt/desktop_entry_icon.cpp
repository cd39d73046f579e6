#include "platform/qt/desktop_entry_icon.h"

#include <sys/stat.h>
#include <QIcon>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QStandardPaths>
#include <algorithm>
#include <mutex>

#include "platform/posix/desktop_entry.h"
#include "platform/qt/bundle_icon.h"
#include "platform/qt/generic_icon.h"

namespace calyxa {
namespace {

// Qt's icon loader keeps process-wide state: one lookup at a time.
std::mutex& themeMutex() {
  static std::mutex mutex;
  return mutex;
}

bool isRegularFileOfUsableSize(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 &&
         static_cast<std::size_t>(info.st_size) <= kMaxIconFileBytes;
}

bool isSvg(const std::string& path) {
  const auto dot = path.rfind('.');
  if (dot == std::string::npos) return false;
  QString extension = QString::fromStdString(path.substr(dot + 1)).toLower();
  return extension == "svg" || extension == "svgz";
}

// Drawn at the asked size, not scaled up from the document's own.
QImage decodeSvg(const std::string& path, QSize pixels) {
  QImageReader reader(QString::fromStdString(path));
  const QSize declared = reader.size();
  if (!declared.isValid() || declared.isEmpty()) return {};
  reader.setScaledSize(declared.scaled(pixels, Qt::KeepAspectRatio));
  QImage image = reader.read();
  if (image.isNull()) return {};
  QImage canvas(pixels, QImage::Format_ARGB32_Premultiplied);
  canvas.fill(Qt::transparent);
  QPainter painter(&canvas);
  painter.drawImage((pixels.width() - image.width()) / 2, (pixels.height() - image.height()) / 2,
                    image);
  return canvas;
}

QImage decodeFile(const std::string& path, QSize pixels) {
  if (!isRegularFileOfUsableSize(path)) return {};
  return isSvg(path) ? decodeSvg(path, pixels) : decodeIconFile(path, pixels);
}

// Theme names are written without an extension, though some entries add one.
QString themeName(const std::string& icon) {
  QString name = QString::fromStdString(icon);
  for (const char* extension : {".png", ".svg", ".xpm"}) {
    if (name.endsWith(QLatin1String(extension))) name.chop(4);
  }
  return name;
}

QImage fromTheme(const QString& name, QSize pixels) {
  std::lock_guard lock(themeMutex());
  if (QIcon::themeName().isEmpty()) QIcon::setThemeName(QStringLiteral("hicolor"));
  if (QIcon::fallbackThemeName().isEmpty()) QIcon::setFallbackThemeName(QStringLiteral("hicolor"));
  const QIcon icon = QIcon::fromTheme(name);
  if (icon.isNull()) return {};
  const QSize available = icon.actualSize(pixels);
  if (available.isEmpty()) return {};
  QImage image = icon.pixmap(available).toImage();
  if (image.isNull()) return {};
  image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  if (image.size() == pixels) return image;
  const QImage scaled = image.scaled(pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  QImage canvas(pixels, QImage::Format_ARGB32_Premultiplied);
  canvas.fill(Qt::transparent);
  QPainter painter(&canvas);
  painter.drawImage((pixels.width() - scaled.width()) / 2, (pixels.height() - scaled.height()) / 2,
                    scaled);
  return canvas;
}

// The older place for application icons outside any theme: <data folder>/pixmaps.
QImage fromPixmaps(const QString& name, QSize pixels) {
  const QStringList folders =
      QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
  for (const QString& folder : folders) {
    for (const char* extension : {".png", ".svg", ".xpm"}) {
      const QString file = folder + QStringLiteral("/pixmaps/") + name + QLatin1String(extension);
      QImage image = decodeFile(file.toStdString(), pixels);
      if (!image.isNull()) return image;
    }
  }
  return {};
}

}  // namespace

QImage decodeDesktopEntryIcon(const std::string& icon, QSize pixels) {
  if (icon.empty() || pixels.isEmpty()) return {};
  if (icon.front() == '/') return decodeFile(icon, pixels);
  // A name is a name: never a path into some folder.
  if (icon.find('/') != std::string::npos) return {};
  const QString name = themeName(icon);
  if (name.isEmpty()) return {};
  QImage image = fromTheme(name, pixels);
  if (image.isNull()) image = fromPixmaps(name, pixels);
  return image;
}

QImage drawDesktopEntryIcon(const std::filesystem::path& entryFile, QSize pixels,
                            const std::string& seed) {
  QImage image;
  if (const auto icon = desktopEntryIcon(entryFile)) image = decodeDesktopEntryIcon(*icon, pixels);
  if (image.isNull()) image = drawGenericApplicationIcon(pixels, seed);
  return image;
}

}  // namespace calyxa
