#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>
#include <string>

#include "platform/posix/file_io.h"
#include "platform/posix/plist_io.h"
#include "platform/posix/plist_limits.h"
#include "platform/posix/plist_user_defaults.h"
#include "support/app_bundle_tree.h"
#include "support/ctl_runner.h"
#include "support/temp_dir.h"

namespace calyxa {
namespace {

using testing::TempDir;
using References = std::vector<std::vector<std::uint32_t>>;

std::string nestedXmlArrays(int depth) {
  std::string arrays;
  for (int i = 0; i < depth; ++i)
    arrays += "<array>";
  return "<?xml version=\"1.0\"?><!-- <array> in a comment --><plist version=\"1.0\">" + arrays +
         "<string>x</string><array/>" + std::regex_replace(arrays, std::regex("<"), "</") +
         "</plist>";
}

void putBigEndian(std::string& out, std::uint64_t value, int size) {
  for (int shift = 8 * (size - 1); shift >= 0; shift -= 8)
    out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

// Arrays, object i referring to `references[i]`, and one more object: an empty string.
std::string binaryPlist(const References& references) {
  std::string bytes = "bplist00", table;
  for (const auto& children : references) {
    putBigEndian(table, bytes.size(), 4);
    bytes.push_back(static_cast<char>(0xA0 | children.size()));
    for (const auto child : children)
      putBigEndian(bytes, child, 4);
  }
  putBigEndian(table, bytes.size(), 4);
  const std::uint64_t tableOffset = bytes.size() + 1;
  bytes += "\x50" + table + std::string(6, '\0') + "\x04\x04";  // offset and reference sizes
  putBigEndian(bytes, references.size() + 1, 8);
  putBigEndian(bytes, 0, 8);
  putBigEndian(bytes, tableOffset, 8);
  return bytes;
}

TEST(PlistIoTest, XmlAndBinaryRoundTripEveryKindAndHostileBytesParseAsNothing) {
  PlistValue original(PlistArray{true, std::int64_t{-42}, std::int64_t{1} << 40, 0.25,
                                 "文件夹 / \"quoted\" & <tag>", PlistData{0, 1, 2, 0xFF},
                                 PlistDate{725000000.0},  // XML keeps whole seconds
                                 PlistArray{}, PlistDictionary{{"empty", PlistDictionary{}}}});
  for (int i = 0; i < 50; ++i)  // nesting well within the limits
    original = PlistDictionary{{"level", PlistArray{original}}};
  for (const PlistFormat format : {PlistFormat::xml, PlistFormat::binary}) {
    const auto bytes = serializePlist(original, format);
    ASSERT_TRUE(bytes && bytes->starts_with("bplist00") == (format == PlistFormat::binary));
    EXPECT_EQ(parsePlist(*bytes), original);
  }
  EXPECT_EQ(parsePlist(binaryPlist({{1, 1, 1, 1, 1, 1, 1, 1}}))->as<PlistArray>()->size(), 8u)
      << "one string shared by eight slots";

  // Deep enough to overflow libplist's recursive parsers, yet small enough to pass the size cap.
  const std::string deepXml = nestedXmlArrays(200000);
  ASSERT_LT(deepXml.size(), kMaxPlistFileBytes);
  References chain, bomb;  // the bomb: 64 levels of two references to the level below
  for (std::uint32_t i = 1; i < 300000; ++i)
    chain.push_back({i});
  for (std::uint32_t i = 1; i <= 64; ++i)
    bomb.push_back({i, i});
  const auto start = std::chrono::steady_clock::now();
  for (const std::string& bad :
       {deepXml, binaryPlist(chain), binaryPlist(bomb), binaryPlist({{1}, {0}}), binaryPlist({{7}}),
        std::string(), std::string("<?xml version=\"1.0\"?><plist><dict><key>a</key>"),
        std::string("bplist00\x01\x02garbage"), std::string(4096, '\xFF')})
    EXPECT_FALSE(parsePlist(bad)) << bad.substr(0, 40);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

std::string repeated(std::string_view text, int times) {
  std::string out;
  out.reserve(text.size() * times);
  for (int i = 0; i < times; ++i)
    out += text;
  return out;
}

TEST(PlistIoTest, FilesThatOnceCrashedEveryCommandReadWholeOrAsNothing) {
  // A binary string holding U+0000, as Python's plistlib writes {'x': '中\x00'}.
  const std::string nul =
      readFileBytes(std::filesystem::path(CALYXA_TEST_DATA) / "string_with_nul.bplist", 4096).bytes;
  ASSERT_FALSE(nul.empty());
  const std::string withNul("中\0", 4);
  EXPECT_EQ(parsePlist(nul), PlistValue(PlistDictionary{{"x", withNul}}));
  EXPECT_EQ(plistDictionaryString(nul, "x"), withNul);

  // End tags that are no end tags, then 200,000 real levels: a depth count fooled by them lets
  // the parser recurse until the stack runs out.
  const int n = 200000;
  const std::string deep = repeated("<array>", n) + repeated("</array>", n);
  const std::string fakes = repeated("</a>", n);
  const std::vector<std::string> hostile{
      "<?xml version=\"1.0\"?><!DOCTYPE plist [" + fakes + "]><plist>" + deep + "</plist>",
      "<?xml version=\"1.0\"?><?pi " + fakes + "?><plist>" + deep + "</plist>",
      "<plist a=\"" + fakes + "\" b='" + fakes + "'>" + deep + "</plist>",
      "<!-- " + fakes + " --><plist><string><![CDATA[" + fakes + "]]></string>" + deep + "</plist>",
      "<!DOCTYPE plist [<!ENTITY e \"]>\">" + fakes + "]><plist>" + deep + "</plist>",
      "<plist>" + fakes + deep + "</plist>"};
  for (const auto& bad : hostile) {
    ASSERT_LT(bad.size(), kMaxPlistFileBytes);
    EXPECT_FALSE(parsePlist(bad)) << bad.substr(0, 60);
  }
  // libplist reads the keys of an XML dictionary in quadratic time: more than a file of ours
  // could need is refused rather than read for minutes.
  EXPECT_FALSE(
      parsePlist("<plist><dict>" + repeated("<key>k</key><true/>", 400000) + "</dict></plist>"));

  // Every command reads the settings file, a preference domain or a bundle's Info.plist.
  if (testing::calyxaCtlPath().empty()) GTEST_SKIP() << "CALYXA_CTL names no calyxa-ctl";
  TempDir dir;
  const std::map<std::string, std::string> environment{
      {"HOME", (dir / "home").string()},
      {"XDG_CONFIG_HOME", (dir / "config").string()},
      {"CALYXA_SYSTEM_ROOT", (dir / "root").string()}};
  testing::writeAppBundle(dir / "root", "/Applications/Fine.app", {});
  for (const std::string& file : {nul, hostile.front()}) {
    dir.write("config/calyxa/com.vantorel.tilewell.plist", file);
    dir.write("config/calyxa/Preferences/com.apple.dock.plist", file);
    dir.write("root/Applications/Hostile.app/Contents/Info.plist", file);
    for (const std::vector<std::string>& command : {std::vector<std::string>{"catalogue"},
                                                    {"gestures", "status"},
                                                    {"login-item", "status"}}) {
      const auto run = testing::runCalyxaCtl(command, environment);
      EXPECT_EQ(run.status, 0) << command.front() << ": " << run.err;
    }
  }
}

// A binary dictionary of one entry, `key` (a whole string object) to true.
std::string binaryDictionary(const std::string& key) {
  std::string bytes = "bplist00\xD1\x01\x02" + key + "\x09";
  const std::uint64_t tableOffset = bytes.size();
  bytes += std::string{8, static_cast<char>(11), static_cast<char>(11 + key.size())};
  bytes += std::string(6, '\0') + "\x01\x01";
  putBigEndian(bytes, 3, 8);
  putBigEndian(bytes, 0, 8);
  putBigEndian(bytes, tableOffset, 8);
  return bytes;
}

TEST(PlistUserDefaultsTest, KeysHoldingNulAreRefusedAndEightBitKeysWrittenBack) {
  // libplist aborts on reading a UTF-16 key with U+0000, and cuts an ASCII one short.
  const std::string utf16 = binaryDictionary(std::string("\x63\0a\0\0\0b", 7));
  const std::string ascii = binaryDictionary(std::string("\x53\x61\0b", 4));
  const std::string fine = binaryDictionary(std::string("\x62\x4E\x2D\0b", 5));  // "中b"
  EXPECT_EQ(parsePlist(fine), PlistValue(PlistDictionary{{"中b", true}}));
  TempDir dir;
  for (const std::string& bad : {utf16, ascii}) {
    EXPECT_FALSE(parsePlist(bad));
    EXPECT_FALSE(plistDictionaryString(bad, "a"));
    dir.write("defaults/d.plist", bad);
    PlistUserDefaults defaults(dir / "defaults", "d");
    EXPECT_FALSE(defaults.isReadable() || defaults.object("a"));
    EXPECT_FALSE(defaults.setBool("k", true));
    EXPECT_EQ(readFileBytes(dir / "defaults" / "d.plist", 1024).bytes, bad);
  }
  // An 8-bit key that is no UTF-8 is written back byte for byte.
  dir.write("defaults/d.plist", binaryDictionary(std::string("\x53\x61\xFF\x62", 4)));
  ASSERT_TRUE(PlistUserDefaults(dir / "defaults", "d").setBool("k", true));
  EXPECT_EQ(parsePlist(readFileBytes(dir / "defaults" / "d.plist", 1024).bytes),
            PlistValue(PlistDictionary{{"a\xFF\x62", true}, {"k", true}}));
}

TEST(PlistUserDefaultsTest, RepeatedKeysReadAsTheLastAndAreWrittenBackOnce) {
  TempDir dir;
  dir.write("defaults/d.plist",
            "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
            "<key>k</key><string>first</string><key>list</key><array><dict>"
            "<key>n</key><integer>1</integer><key>n</key><integer>2</integer></dict></array>"
            "<key>k</key><string>last</string></dict></plist>");
  PlistUserDefaults defaults(dir / "defaults", "d");
  EXPECT_EQ(defaults.object("k"), PlistValue("last"));
  ASSERT_TRUE(defaults.setBool("other", true));
  const PlistDictionary nested{{"n", std::int64_t{2}}};
  EXPECT_EQ(
      readPlistFile(defaults.filePath()),
      PlistValue(PlistDictionary{{"k", "last"}, {"list", PlistArray{nested}}, {"other", true}}));
  const std::string written = readFileBytes(defaults.filePath(), 4096).bytes;
  EXPECT_EQ(written.find("<key>k</key>"), written.rfind("<key>k</key>"));
  EXPECT_EQ(written.find("<key>n</key>"), written.rfind("<key>n</key>"));
}

TEST(PlistUserDefaultsTest, StoresTypedValuesInOneXmlFileWrittenAtomically) {
  TempDir dir;
  // A folder in the way of the rename, or no folder to write in: no temporary file is left.
  std::filesystem::create_directories(dir / "blocked.plist" / "inside");
  EXPECT_FALSE(writeFileAtomically(dir / "blocked.plist", "x"));
  EXPECT_FALSE(writeFileAtomically(dir / "missing-folder" / "a.plist", "x"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

  PlistUserDefaults defaults(dir / "calyxa", "com.vantorel.tilewell");
  EXPECT_FALSE(defaults.boolForKey("Calyxa.hasCompletedOnboarding"));
  ASSERT_TRUE(defaults.setBool("Calyxa.hasCompletedOnboarding", true));
  ASSERT_TRUE(defaults.setData("Calyxa.AppsBookmark", PlistData{'/', 'A'}));
  ASSERT_TRUE(defaults.setDictionary("Snapshot", {{"a::b", true}, {"x::y", "__QZV_ABSENT__"}}));
  for (const auto& [key, value] : std::vector<std::pair<std::string, PlistValue>>{
           {"one", std::int64_t{1}}, {"zero", 0.0}, {"yes", "YES"}, {"no", "nope"}})
    ASSERT_TRUE(defaults.setObject(key, value));

  // A second instance reads the same file: nothing is cached per process.
  PlistUserDefaults again(dir / "calyxa", "com.vantorel.tilewell");
  EXPECT_TRUE(again.boolForKey("Calyxa.hasCompletedOnboarding"));
  EXPECT_EQ(again.dataForKey("Calyxa.AppsBookmark"), (PlistData{'/', 'A'}));
  EXPECT_EQ(again.dictionaryForKey("Snapshot")->size(), 2u);
  EXPECT_FALSE(again.dataForKey("Calyxa.hasCompletedOnboarding")) << "a Bool is not data";
  EXPECT_TRUE(again.boolForKey("one") && again.boolForKey("yes"));
  EXPECT_FALSE(again.boolForKey("zero") || again.boolForKey("no") ||
               again.boolForKey("Calyxa.AppsBookmark"));
  EXPECT_TRUE(readFileBytes(again.filePath(), 1024).bytes.starts_with("<?xml"));
  ASSERT_TRUE(again.removeObject("Calyxa.AppsBookmark"));
  EXPECT_FALSE(defaults.dataForKey("Calyxa.AppsBookmark"));
  EXPECT_TRUE(defaults.boolForKey("Calyxa.hasCompletedOnboarding"));
}

TEST(PlistUserDefaultsTest, DamagedFilesReadAsEmptyAndAreNeverReplacedWithLess) {
  TempDir dir;
  // Malformed: reads as empty; the first write keeps the damaged bytes aside.
  const std::string garbage = "<?xml version=\"1.0\"?><plist><dict><key>half";
  dir.write("defaults/d.plist", garbage);
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

  // Unreadable (here: not a regular file) or enormous: reads as empty, writes are refused.
  std::filesystem::create_directories(dir / "other" / "u.plist" / "keep");
  PlistUserDefaults unreadable(dir / "other", "u");
  EXPECT_FALSE(unreadable.boolForKey("k") || unreadable.setBool("k", true));
  EXPECT_TRUE(std::filesystem::exists(dir / "other" / "u.plist" / "keep"));
  const std::string huge(kMaxPlistFileBytes + 1, ' ');
  dir.write("big/b.plist", huge);
  EXPECT_FALSE(PlistUserDefaults(dir / "big", "b").setBool("k", true));
  EXPECT_EQ(std::filesystem::file_size(dir / "big" / "b.plist"), huge.size());
}

}  // namespace
}  // namespace calyxa
