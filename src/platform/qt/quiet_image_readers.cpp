#include "platform/qt/quiet_image_readers.h"

#include <QLoggingCategory>
#include <QString>
#include <atomic>
#include <mutex>

namespace calyxa {
namespace {

std::atomic<QLoggingCategory::CategoryFilter> previousFilter = nullptr;
std::atomic<QtMessageHandler> previousHandler = nullptr;

void silenceImageCategories(QLoggingCategory* category) {
  if (const auto previous = previousFilter.load()) previous(category);
  if (qstrncmp(category->categoryName(), "qt.gui.imageio", 14) == 0) {
    for (const QtMsgType type : {QtDebugMsg, QtInfoMsg, QtWarningMsg})
      category->setEnabled(type, false);
  }
}

// The .icns reader warns without a category, in these words.
bool isIcnsReaderWarning(const QString& message) {
  for (const char* start : {"QICNSHandler::", "parseIconEntryInfo(): ", "readMask(): ",
                            "Scan of the icon variant container"}) {
    if (message.startsWith(QLatin1String(start))) return true;
  }
  return false;
}

void dropIcnsReaderWarnings(QtMsgType type, const QMessageLogContext& context,
                            const QString& message) {
  if (type == QtWarningMsg && isIcnsReaderWarning(message)) return;
  if (const auto previous = previousHandler.load()) previous(type, context, message);
}

}  // namespace

void keepImageReadersQuiet() {
  static std::once_flag once;
  std::call_once(once, [] {
    previousFilter = QLoggingCategory::installFilter(silenceImageCategories);
    previousHandler = qInstallMessageHandler(dropIcnsReaderWarnings);
  });
}

}  // namespace calyxa
