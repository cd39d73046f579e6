#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/posix/plist_io.h"
#include "platform/posix/plist_limits.h"

namespace calyxa {
namespace {

std::string nestedXmlArrays(int depth) {
  std::string xml = "<?xml version=\"1.0\"?><!-- <array> in a comment --><plist version=\"1.0\">";
  for (int i = 0; i < depth; ++i)
    xml += "<array>";
  xml += "<string>x</string><array/>";
  for (int i = 0; i < depth; ++i)
    xml += "</array>";
  return xml + "</plist>";
}

// A binary property list of hand-made objects: `objects[i]` is object i's bytes, object 0 the top.
std::string binaryPlist(const std::vector<std::string>& objects) {
  std::string bytes = "bplist00";
  std::vector<std::uint32_t> offsets;
  for (const auto& object : objects) {
    offsets.push_back(static_cast<std::uint32_t>(bytes.size()));
    bytes += object;
  }
  const auto table = static_cast<std::uint64_t>(bytes.size());
  for (const auto offset : offsets) {
    for (int shift = 24; shift >= 0; shift -= 8)
      bytes.push_back(static_cast<char>((offset >> shift) & 0xFF));
  }
  std::string trailer(32, '\0');
  trailer[6] = 4;  // offset size
  trailer[7] = 4;  // reference size
  const auto put = [&](int at, std::uint64_t value) {
    for (int k = 0; k < 8; ++k)
      trailer[at + k] = static_cast<char>((value >> (56 - 8 * k)) & 0xFF);
  };
  put(8, objects.size());
  put(16, 0);
  put(24, table);
  return bytes + trailer;
}

std::string arrayOf(const std::vector<std::uint32_t>& references) {
  std::string object(1, static_cast<char>(0xA0 | references.size()));
  for (const auto reference : references) {
    for (int shift = 24; shift >= 0; shift -= 8)
      object.push_back(static_cast<char>((reference >> shift) & 0xFF));
  }
  return object;
}

const std::string kEmptyString(1, static_cast<char>(0x50));

TEST(PlistLimitsTest, DeepOrSelfMultiplyingDocumentsAreRefusedBeforeTheParserSeesThem) {
  // Deep enough to overflow libplist's recursive parsers; small enough to pass the size cap.
  const std::string deepXml = nestedXmlArrays(200000);
  ASSERT_LT(deepXml.size(), kMaxPlistFileBytes);
  EXPECT_FALSE(plistWithinParserLimits(deepXml));
  EXPECT_FALSE(parsePlist(deepXml));

  std::vector<std::string> chain;
  for (std::uint32_t i = 1; i < 300000; ++i)
    chain.push_back(arrayOf({i}));
  chain.push_back(kEmptyString);
  const std::string deepBinary = binaryPlist(chain);
  EXPECT_FALSE(plistWithinParserLimits(deepBinary));
  EXPECT_FALSE(parsePlist(deepBinary));

  // 64 levels of two references to the level below: 2^64 nodes once expanded.
  std::vector<std::string> bomb;
  for (std::uint32_t i = 1; i <= 64; ++i)
    bomb.push_back(arrayOf({i, i}));
  bomb.push_back(kEmptyString);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(parsePlist(binaryPlist(bomb)));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));

  EXPECT_FALSE(parsePlist(binaryPlist({arrayOf({1}), arrayOf({0})}))) << "a cycle";
  EXPECT_FALSE(parsePlist(binaryPlist({arrayOf({7})}))) << "a reference out of range";
}

TEST(PlistLimitsTest, OrdinaryDocumentsStillParse) {
  const auto xml = parsePlist(nestedXmlArrays(100));
  ASSERT_TRUE(xml);
  EXPECT_TRUE(xml->is<PlistArray>());

  // Sharing within limits is fine: the same string referenced from eight slots.
  const auto shared = parsePlist(binaryPlist({arrayOf({1, 1, 1, 1, 1, 1, 1, 1}), kEmptyString}));
  ASSERT_TRUE(shared);
  EXPECT_EQ(shared->as<PlistArray>()->size(), 8u);

  PlistDictionary nested{{"leaf", PlistValue("value")}};
  for (int i = 0; i < 50; ++i)
    nested = PlistDictionary{{"level", PlistValue(PlistArray{PlistValue(nested)})}};
  for (const auto format : {PlistFormat::xml, PlistFormat::binary}) {
    const auto bytes = serializePlist(PlistValue(nested), format);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(parsePlist(*bytes), PlistValue(nested));
  }
}

}  // namespace
}  // namespace calyxa
