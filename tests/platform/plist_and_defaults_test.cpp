#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/posix/file_io.h"
#include "platform/posix/plist_io.h"
#include "platform/posix/plist_user_defaults.h"
#include "support/temp_dir.h"

namespace calyxa {
namespace {

using testing::TempDir;

PlistValue everyKind() {
  return PlistValue(PlistDictionary{
      {"bool", true},
      {"negative", std::int64_t{-42}},
      {"big", std::int64_t{1} << 40},
      {"real", 0.25},
      {"text", "文件夹 / \"quoted\" & <tag>"},
      {"data", PlistData{0, 1, 2, 0xFF}},
      {"date", PlistDate{725000000.0}},  // XML keeps whole seconds
      {"array", PlistArray{1, "two", PlistArray{}}},
      {"nested", PlistDictionary{{"empty", PlistDictionary{}}}},
  });
}

TEST(PlistIoTest, XmlAndBinaryRoundTripEveryKind) {
  const PlistValue original = everyKind();
  for (const PlistFormat format : {PlistFormat::xml, PlistFormat::binary}) {
    const auto bytes = serializePlist(original, format);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->starts_with("bplist00"), format == PlistFormat::binary);
    const auto parsed = parsePlist(*bytes);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, original);
  }
  EXPECT_FALSE(parsePlist(""));
  EXPECT_FALSE(parsePlist("<?xml version=\"1.0\"?><plist><dict><key>a</key>"));
  EXPECT_FALSE(parsePlist("bplist00\x01\x02garbage"));
  EXPECT_FALSE(parsePlist(std::string(4096, '\xFF')));
}

TEST(PlistIoTest, AtomicWriteLeavesTheOldFileWholeWhenReplacingFails) {
  TempDir dir;
  const auto file = dir.write("settings.plist", "old contents");
  ASSERT_TRUE(writeFileAtomically(file, "new contents"));
  EXPECT_EQ(readFileBytes(file, 1024).bytes, "new contents");

  // A folder in the way of the rename: the write fails and leaves no temporary file behind.
  std::filesystem::create_directories(dir / "blocked.plist" / "inside");
  EXPECT_FALSE(writeFileAtomically(dir / "blocked.plist", "x"));
  EXPECT_FALSE(writeFileAtomically(dir / "missing-folder" / "a.plist", "x"));
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 2);  // settings.plist and blocked.plist
  EXPECT_EQ(readFileBytes(dir / "blocked.plist", 1024).status, ReadStatus::unreadable);
  EXPECT_EQ(readFileBytes(file, 4).status, ReadStatus::tooLarge);
  EXPECT_EQ(readFileBytes(dir / "nope", 4).status, ReadStatus::missing);
}

TEST(PlistUserDefaultsTest, StoresTypedValuesInOneXmlFilePerDomain) {
  TempDir dir;
  PlistUserDefaults defaults(dir / "calyxa", "com.vantorel.tilewell");
  EXPECT_FALSE(defaults.boolForKey("Calyxa.hasCompletedOnboarding"));
  EXPECT_FALSE(defaults.dataForKey("Calyxa.AppsBookmark"));

  ASSERT_TRUE(defaults.setBool("Calyxa.hasCompletedOnboarding", true));
  ASSERT_TRUE(defaults.setData("Calyxa.AppsBookmark", PlistData{'/', 'A'}));
  ASSERT_TRUE(defaults.setDictionary(
      "Calyxa.SystemGestureSnapshot.v1",
      {{"com.apple.dock::showLaunchpadGestureEnabled", true}, {"x::y", "__QZV_ABSENT__"}}));

  // A second instance sees the same file: nothing is cached per process.
  PlistUserDefaults again(dir / "calyxa", "com.vantorel.tilewell");
  EXPECT_TRUE(again.boolForKey("Calyxa.hasCompletedOnboarding"));
  EXPECT_EQ(*again.dataForKey("Calyxa.AppsBookmark"), (PlistData{'/', 'A'}));
  EXPECT_EQ(again.dictionaryForKey("Calyxa.SystemGestureSnapshot.v1")->size(), 2u);
  EXPECT_FALSE(again.dataForKey("Calyxa.hasCompletedOnboarding")) << "a Bool is not data";

  const auto onDisk = readPlistFile(dir / "calyxa" / "com.vantorel.tilewell.plist");
  ASSERT_TRUE(onDisk && onDisk->is<PlistDictionary>());
  EXPECT_EQ(onDisk->as<PlistDictionary>()->size(), 3u);
  EXPECT_NE(readFileBytes(again.filePath(), 1 << 20).bytes.find("<?xml"), std::string::npos);

  ASSERT_TRUE(again.removeObject("Calyxa.AppsBookmark"));
  EXPECT_FALSE(defaults.dataForKey("Calyxa.AppsBookmark"));
  EXPECT_TRUE(defaults.boolForKey("Calyxa.hasCompletedOnboarding"));
}

TEST(PlistUserDefaultsTest, DamagedFilesReadAsEmptyAndAreNeverReplacedWithLess) {
  TempDir dir;
  // Malformed: reads as empty; the first write keeps the damaged bytes aside.
  const std::string garbage = "<?xml version=\"1.0\"?><plist><dict><key>half";
  const auto file = dir.write("defaults/d.plist", garbage);
  PlistUserDefaults defaults(dir / "defaults", "d");
  EXPECT_FALSE(defaults.boolForKey("k"));
  ASSERT_TRUE(defaults.setBool("k", true));
  EXPECT_TRUE(defaults.boolForKey("k"));
  EXPECT_EQ(readFileBytes(dir / "defaults" / "d.plist.corrupt", 1024).bytes, garbage);

  // A root that is not a dictionary is damage too; a second damaged file gets its own name.
  dir.write("defaults/d.plist", "<?xml version=\"1.0\"?><plist><array/></plist>");
  ASSERT_TRUE(defaults.setBool("k", false));
  EXPECT_TRUE(std::filesystem::exists(dir / "defaults" / "d.plist.corrupt.1"));
  EXPECT_EQ(readFileBytes(dir / "defaults" / "d.plist.corrupt", 1024).bytes, garbage);

  // Unreadable (here: not a regular file): reads as empty, writes are refused and touch nothing.
  std::filesystem::create_directories(dir / "other" / "u.plist" / "keep");
  PlistUserDefaults unreadable(dir / "other", "u");
  EXPECT_FALSE(unreadable.boolForKey("k"));
  EXPECT_FALSE(unreadable.setBool("k", true));
  EXPECT_TRUE(std::filesystem::exists(dir / "other" / "u.plist" / "keep"));

  // Enormous: treated as unreadable, never truncated.
  const std::string huge(kMaxPlistFileBytes + 1, ' ');
  dir.write("big/b.plist", huge);
  PlistUserDefaults big(dir / "big", "b");
  EXPECT_FALSE(big.setBool("k", true));
  EXPECT_EQ(std::filesystem::file_size(dir / "big" / "b.plist"), huge.size());
}

TEST(UserDefaultsTest, BoolForKeyReadsNumbersAndYesStrings) {
  TempDir dir;
  PlistUserDefaults defaults(dir.path(), "d");
  defaults.setObject("one", std::int64_t{1});
  defaults.setObject("zero", 0.0);
  defaults.setObject("yes", "YES");
  defaults.setObject("no", "nope");
  defaults.setObject("data", PlistData{1});
  EXPECT_TRUE(defaults.boolForKey("one"));
  EXPECT_FALSE(defaults.boolForKey("zero"));
  EXPECT_TRUE(defaults.boolForKey("yes"));
  EXPECT_FALSE(defaults.boolForKey("no"));
  EXPECT_FALSE(defaults.boolForKey("data"));
}

}  // namespace
}  // namespace calyxa
