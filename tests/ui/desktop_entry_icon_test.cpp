#include <gtest/gtest.h>

#include <QBuffer>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <cstdlib>

#include "platform/qt/generic_icon.h"
#include "platform/qt/qt_image.h"
#include "platform/qt/qt_workspace.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace calyxa {
namespace {

QByteArray encoded(const QColor& colour, int edge, const char* format) {
  QImage image(edge, edge, QImage::Format_ARGB32);
  image.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes;
}

std::string svg(const char* colour) {
  return std::string(
             "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\">"
             "<rect width=\"16\" height=\"16\" fill=\"") +
         colour + "\"/></svg>";
}

// A data folder with a hicolor theme and pixmaps, the icon theme pointed at it for the test.
class DesktopEntryIconTest : public ::testing::Test {
 protected:
  void SetUp() override {
    data.write("icons/hicolor/index.theme",
               "[Icon Theme]\nName=Hicolor\nDirectories=48x48/apps,scalable/apps\n\n"
               "[48x48/apps]\nSize=48\nType=Fixed\n\n"
               "[scalable/apps]\nSize=48\nMinSize=8\nMaxSize=512\nType=Scalable\n");
    data.write("icons/hicolor/48x48/apps/calyxa-red.png",
               encoded(Qt::red, 48, "PNG").toStdString());
    data.write("icons/hicolor/scalable/apps/calyxa-vector.svg", svg("#0000ff"));
    data.write("pixmaps/calyxa-old.xpm", encoded(Qt::green, 32, "XPM").toStdString());
    savedPaths = QIcon::themeSearchPaths();
    savedTheme = QIcon::themeName();
    // A theme that is not installed: names resolve through hicolor.
    QIcon::setThemeSearchPaths({QString::fromStdString((data / "icons").string())});
    QIcon::setThemeName("calyxa-absent-theme");
    if (const char* was = std::getenv("XDG_DATA_DIRS")) savedDataDirs = was;
    ::setenv("XDG_DATA_DIRS", data.path().c_str(), 1);
  }
  void TearDown() override {
    QIcon::setThemeSearchPaths(savedPaths);
    QIcon::setThemeName(savedTheme);
    savedDataDirs ? ::setenv("XDG_DATA_DIRS", savedDataDirs->c_str(), 1)
                  : ::unsetenv("XDG_DATA_DIRS");
  }

  std::string entry(const std::string& name, const std::string& icon) const {
    return data
        .write("applications/" + name + ".desktop",
               "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=x\nIcon=" + icon + "\n")
        .string();
  }

  QImage drawn(const std::string& entryPath) {
    return toQImage(workspace.iconForFile(entryPath).render(1.0));
  }

  testing::TempDir data;
  QtWorkspace workspace{std::make_shared<testing::FakeWorkspace>(), SystemRoot("/")};
  QStringList savedPaths;
  QString savedTheme;
  std::optional<std::string> savedDataDirs;
};

TEST_F(DesktopEntryIconTest, ThemeNamesAndFilesGiveTheirPicturesAndAnythingElseTheGenericIcon) {
  const auto file = [&](const std::string& name, const QByteArray& bytes) {
    return data.write("files/" + name, bytes.toStdString()).string();
  };
  const std::vector<std::pair<std::string, QColor>> good{
      {entry("theme", "calyxa-red"), Qt::red},
      {entry("extension", "calyxa-red.png"), Qt::red},
      {entry("scalable", "calyxa-vector"), Qt::blue},
      {entry("pixmap", "calyxa-old"), Qt::green},
      {entry("png", file("a.png", encoded(Qt::blue, 64, "PNG"))), Qt::blue},
      {entry("xpm", file("a.xpm", encoded(Qt::green, 20, "XPM"))), Qt::green},
      {entry("svg", file("a.svg", QByteArray::fromStdString(svg("#ff0000")))), Qt::red},
  };
  // Side by side in renders/ for a person to look at, the generic icon last.
  QImage strip(96 * static_cast<int>(good.size() + 1), 96, QImage::Format_ARGB32_Premultiplied);
  strip.fill(Qt::white);
  QPainter painter(&strip);
  for (std::size_t i = 0; i < good.size(); ++i) {
    const auto& [path, colour] = good[i];
    const QImage image = drawn(path);
    ASSERT_EQ(image.size(), QSize(96, 96)) << path;
    EXPECT_EQ(image.pixelColor(48, 48), colour) << path;
    painter.drawImage(96 * static_cast<int>(i), 0, image);
  }
  painter.drawImage(96 * static_cast<int>(good.size()), 0, drawn(entry("none", "calyxa-nowhere")));
  painter.end();
  std::filesystem::create_directories(CALYXA_RENDER_DIR);
  strip.save(CALYXA_RENDER_DIR "/desktop_entry_icons.png");

  // A 100 MB file (a hole on disk), a folder, a pipe, a path passed off as a name, a name that
  // is nowhere, garbage, no Icon at all, no entry at all, an entry that is not a key file.
  const auto enormous = file("enormous.png", encoded(Qt::red, 8, "PNG"));
  std::filesystem::resize_file(enormous, 100u << 20);
  const std::vector<std::string> bad{
      entry("enormous", enormous),
      entry("folder", data.path().string()),
      entry("relative", "../icons/hicolor/48x48/apps/calyxa-red.png"),
      entry("nowhere", "calyxa-no-such-icon"),
      entry("garbage", file("garbage.png", QByteArray(3000, 'x'))),
      entry("empty", ""),
      data.write("applications/binary.desktop", std::string("\x7f"
                                                            "ELF\0\1Icon=calyxa-red",
                                                            19))
          .string(),
      (data / "applications/absent.desktop").string(),
  };
  for (const auto& path : bad) {
    EXPECT_TRUE(drawn(path) == drawGenericApplicationIcon(QSize(96, 96), path)) << path;
  }
}

}  // namespace
}  // namespace calyxa
