#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <filesystem>

#include "platform/posix/plist_io.h"
#include "platform/qt/bundle_icon.h"
#include "platform/qt/generic_icon.h"
#include "platform/qt/qt_image.h"
#include "platform/qt/qt_workspace.h"
#include "support/fakes.h"
#include "support/temp_dir.h"

namespace calyxa {
namespace {

using testing::TempDir;

QByteArray png(int edge, QColor colour) {
  QImage image(edge, edge, QImage::Format_ARGB32);
  image.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return bytes;
}

void appendBigEndian(QByteArray& bytes, quint32 value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    bytes.append(static_cast<char>((value >> shift) & 0xFF));
}

struct IcnsEntry {
  const char* type;
  QByteArray data;
};

// An .icns written the way the format lays it out: magic, total length, then typed entries.
QByteArray icns(const std::vector<IcnsEntry>& entries) {
  QByteArray body;
  for (const auto& entry : entries) {
    body.append(entry.type, 4);
    appendBigEndian(body, static_cast<quint32>(entry.data.size() + 8));
    body.append(entry.data);
  }
  QByteArray file("icns");
  appendBigEndian(file, static_cast<quint32>(body.size() + 8));
  return file + body;
}

// One channel of an old-style 16 × 16 entry, run-length coded: runs of 130 and 126 bytes.
QByteArray constantChannel(char value) {
  return QByteArray("\xff", 1) + value + QByteArray("\xfb", 1) + value;
}

// A red 128-pixel and a blue 256-pixel picture.
QByteArray redAndBlueIcns() {
  return icns({{"ic07", png(128, QColor(230, 20, 20))}, {"ic08", png(256, QColor(20, 40, 230))}});
}

class BundleTree {
 public:
  // Applications/<name>.app with CFBundleIconFile `iconName` (nothing when empty).
  std::filesystem::path bundle(const std::string& name, const PlistValue& iconName) {
    const auto bundle = root_ / ("Applications/" + name + ".app");
    std::filesystem::create_directories(bundle / "Contents/Resources");
    PlistDictionary info{{"CFBundleExecutable", name}};
    if (!iconName.is<std::string>() || !std::get<std::string>(iconName.storage).empty()) {
      info.insert_or_assign("CFBundleIconFile", iconName);
    }
    EXPECT_TRUE(writePlistFile(bundle / "Contents/Info.plist", PlistValue(info)));
    return bundle;
  }
  void write(const std::filesystem::path& path, const QByteArray& bytes) {
    std::filesystem::create_directories(path.parent_path());
    root_.write(std::filesystem::relative(path, root_.path()).string(), bytes.toStdString());
  }
  const TempDir& root() const { return root_; }

 private:
  TempDir root_;
};

QImage iconPixels(Workspace& workspace, const std::string& path, double scale) {
  return toQImage(workspace.iconForFile(path).render(scale));
}

QImage generic(const std::string& path, int pixels) {
  return drawGenericApplicationIcon(QSize(pixels, pixels), path);
}

QColor centre(const QImage& image) {
  return image.pixelColor(image.width() / 2, image.height() / 2);
}

TEST(QtWorkspaceTest, DecodesTheBundleIconAtTheRequestedPixelsWhenFirstDrawn) {
  BundleTree tree;
  QtWorkspace workspace(std::make_shared<testing::FakeWorkspace>(), SystemRoot(tree.root().path()));

  // Asked for before the bundle exists: nothing is read until the icon is drawn.
  const Image early = workspace.iconForFile("/Applications/Late.app");
  EXPECT_EQ(early.width(), 96.0);
  EXPECT_EQ(early.height(), 96.0);
  const auto late = tree.bundle("Late", "AppIcon");
  tree.write(late / "Contents/Resources/AppIcon.icns", redAndBlueIcns());

  // 96 points at ratio 1 uses the 128-pixel picture, at ratio 2 the 256-pixel one.
  const QImage once = toQImage(early.render(1.0));
  EXPECT_EQ(once.size(), QSize(96, 96));
  EXPECT_EQ(centre(once), QColor(230, 20, 20));
  const QImage retina = iconPixels(workspace, "/Applications/Late.app", 2.0);
  EXPECT_EQ(retina.size(), QSize(192, 192));
  EXPECT_EQ(centre(retina), QColor(20, 40, 230));

  // What was drawn is kept: the file may go away.
  std::filesystem::remove(late / "Contents/Resources/AppIcon.icns");
  EXPECT_EQ(centre(toQImage(early.render(1.0))), QColor(230, 20, 20));
  EXPECT_TRUE(iconPixels(workspace, "/Applications/Late.app", 1.0) ==
              generic("/Applications/Late.app", 96))
      << "a new image reads the file anew";

  // The name may carry the extension, in any case; a picture in another format decodes too.
  const auto named = tree.bundle("Named", "Icon.ICNS");
  tree.write(named / "Contents/Resources/Icon.ICNS", redAndBlueIcns());
  EXPECT_EQ(centre(iconPixels(workspace, "/Applications/Named.app", 1.0)), QColor(230, 20, 20));
  const auto plain = tree.bundle("Plain", "logo.png");
  tree.write(plain / "Contents/Resources/logo.png", png(64, QColor(20, 200, 20)));
  EXPECT_EQ(centre(iconPixels(workspace, "/Applications/Plain.app", 1.0)), QColor(20, 200, 20));

  // Small sizes use the old run-length entries, with the mask that goes with them.
  const auto old = tree.bundle("Old", "AppIcon");
  tree.write(
      old / "Contents/Resources/AppIcon.icns",
      icns({{"ic07", png(128, QColor(230, 20, 20))},
            {"is32", constantChannel('\x10') + constantChannel('\xc0') + constantChannel('\x30')},
            {"s8mk", QByteArray(256, '\x80')}}));
  const QImage small = toQImage(workspace.iconForFile("/Applications/Old.app").render(16.0 / 96.0));
  ASSERT_EQ(small.size(), QSize(16, 16));
  const QColor oldColour = centre(small);
  EXPECT_NEAR(oldColour.alpha(), 128, 1);
  EXPECT_NEAR(oldColour.green(), 0xc0, 2);
  EXPECT_NEAR(oldColour.red(), 0x10, 2);
  EXPECT_EQ(centre(iconPixels(workspace, "/Applications/Old.app", 1.0)), QColor(230, 20, 20));

  // A link to a file inside the bundle is followed.
  const auto linked = tree.bundle("Linked", "AppIcon");
  tree.write(linked / "Contents/Resources/Art/real.icns", redAndBlueIcns());
  std::filesystem::create_symlink("Art/real.icns", linked / "Contents/Resources/AppIcon.icns");
  EXPECT_EQ(centre(iconPixels(workspace, "/Applications/Linked.app", 1.0)), QColor(230, 20, 20));

  // The workspace still opens applications through the one it decorates.
  auto launcher = std::make_shared<testing::FakeWorkspace>();
  QtWorkspace opening(launcher, SystemRoot(tree.root().path()));
  opening.openApplication("/Applications/Late.app", true);
  ASSERT_EQ(launcher->opened.size(), 1u);
  EXPECT_EQ(launcher->opened[0].path, "/Applications/Late.app");
}

TEST(QtWorkspaceTest, BadIconFilesGiveTheGenericIconAndNothingOutsideTheBundleIsRead) {
  BundleTree tree;
  QtWorkspace workspace(std::make_shared<testing::FakeWorkspace>(), SystemRoot(tree.root().path()));
  const QByteArray good = redAndBlueIcns();
  // A valid icon outside every bundle, which must never be shown.
  tree.write(tree.root() / "Outside/AppIcon.icns", good);
  tree.write(tree.root() / "Applications/Stray.icns", good);

  std::vector<std::string> broken;
  const auto add = [&](const std::string& name, const PlistValue& iconName) {
    broken.push_back("/Applications/" + name + ".app");
    return tree.bundle(name, iconName);
  };
  const auto resources = [](const std::filesystem::path& bundle) {
    return bundle / "Contents/Resources";
  };

  add("NoIconKey", std::string());
  add("Missing", std::string("AppIcon"));
  add("WrongKind", PlistValue(42));
  tree.write(resources(add("Truncated", std::string("AppIcon"))) / "AppIcon.icns",
             good.left(good.size() * 2 / 3));
  tree.write(resources(add("Garbage", std::string("AppIcon"))) / "AppIcon.icns",
             QByteArray(5000, '\x5a'));
  // A header that promises more than the file holds, and an entry running past the end.
  QByteArray lying = good;
  lying[7] = static_cast<char>(lying[7] + 1);
  tree.write(resources(add("Lying", std::string("AppIcon"))) / "AppIcon.icns", lying);
  // A picture far wider than any icon is not decoded, in an .icns or on its own.
  const QByteArray huge = png(3000, Qt::red);
  tree.write(resources(add("HugePicture", std::string("AppIcon"))) / "AppIcon.icns",
             icns({{"ic07", huge}}));
  tree.write(resources(add("HugePng", std::string("huge.png"))) / "huge.png", huge);
  // A file larger than any icon is refused unread (sparse: it costs no disk).
  const auto enormous = resources(add("Enormous", std::string("AppIcon"))) / "AppIcon.icns";
  tree.write(enormous, good);
  std::filesystem::resize_file(enormous, kMaxIconFileBytes + 1);
  // Not a regular file: a folder, and a pipe that would block a reader forever.
  std::filesystem::create_directories(resources(add("Folder", std::string("AppIcon"))) /
                                      "AppIcon.icns");
  ASSERT_EQ(
      ::mkfifo((resources(add("Pipe", std::string("AppIcon"))) / "AppIcon.icns").c_str(), 0644), 0);
  // Names with a path in them, and links that lead out of the bundle.
  for (const char* name : {"../../../Outside/AppIcon.icns", "../../../Outside/AppIcon",
                           "Art/AppIcon", "/Outside/AppIcon.icns", "..", "."}) {
    const auto bundle = add("Path" + std::to_string(broken.size()), std::string(name));
    tree.write(resources(bundle) / "Art/AppIcon.icns", good);
  }
  std::filesystem::create_symlink(
      tree.root() / "Outside/AppIcon.icns",
      resources(add("LinkOut", std::string("AppIcon"))) / "AppIcon.icns");
  std::filesystem::create_symlink(
      "../../../Stray.icns",
      resources(add("RelativeLinkOut", std::string("AppIcon"))) / "AppIcon.icns");
  const auto linkedFolder = add("FolderLinkOut", std::string("AppIcon"));
  std::filesystem::remove(resources(linkedFolder));
  std::filesystem::create_symlink(tree.root() / "Outside", resources(linkedFolder));
  // Not a bundle at all.
  broken.push_back("/Applications/Absent.app");
  broken.push_back("/Outside");

  if (::geteuid() != 0) {  // permissions do not stop the superuser
    const auto locked = resources(add("Unreadable", std::string("AppIcon"))) / "AppIcon.icns";
    tree.write(locked, good);
    std::filesystem::permissions(locked, std::filesystem::perms::none);
  }

  for (const auto& path : broken) {
    for (double scale : {1.0, 2.0}) {
      const QImage pixels = iconPixels(workspace, path, scale);
      const int edge = static_cast<int>(96 * scale);
      ASSERT_EQ(pixels.size(), QSize(edge, edge)) << path;
      EXPECT_TRUE(pixels == generic(path, edge)) << path << " at " << scale;
    }
  }
}

}  // namespace
}  // namespace calyxa
