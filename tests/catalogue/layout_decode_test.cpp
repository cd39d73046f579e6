#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>

#include "catalogue/layout_file.h"

namespace calyxa {
namespace {

// The reading rules spelled out over a parsed document tree: the reference the streaming reader
// must agree with.
std::optional<std::vector<SavedLayoutItem>> referenceDecode(std::string_view bytes) {
  const auto document =
      nlohmann::json::parse(bytes.begin(), bytes.end(), nullptr, /*allow_exceptions=*/false);
  if (!document.is_array()) return std::nullopt;
  std::vector<SavedLayoutItem> records;
  for (const auto& object : document) {
    if (!object.is_object()) return std::nullopt;
    const auto text = [&](const char* key, bool required, std::optional<std::string>& out) -> bool {
      const auto found = object.find(key);
      if (found == object.end() || found->is_null()) return !required;
      if (!found->is_string()) return false;
      out = found->get<std::string>();
      return true;
    };
    std::optional<std::string> type, id, name;
    if (!text("type", true, type) || !text("id", true, id) || !text("name", false, name)) {
      return std::nullopt;
    }
    std::optional<std::vector<std::string>> members;
    if (const auto found = object.find("subAppIDs"); found != object.end() && !found->is_null()) {
      if (!found->is_array()) return std::nullopt;
      members.emplace();
      for (const auto& member : *found) {
        if (!member.is_string()) return std::nullopt;
        members->push_back(member.get<std::string>());
      }
    }
    records.push_back({*type, *id, name, members});
  }
  return records;
}

std::string randomValue(std::mt19937& random, int depth);

std::string randomString(std::mt19937& random) {
  static const char* const kTexts[] = {"\"app\"",
                                       "\"folder\"",
                                       "\"\"",
                                       "\"\\/A.app\"",
                                       "\"同类应用\"",
                                       "\"x\\u00e9\\n\"",
                                       "\"/Applications/B.app\""};
  return kTexts[random() % std::size(kTexts)];
}

std::string randomArray(std::mt19937& random, int depth) {
  std::string text = "[";
  const int count = static_cast<int>(random() % 4);
  for (int i = 0; i < count; ++i) {
    if (i > 0) text += ",";
    text += random() % 4 ? randomString(random) : randomValue(random, depth + 1);
  }
  return text + "]";
}

std::string randomObject(std::mt19937& random, int depth, bool record) {
  static const char* const kKeys[] = {"type", "id", "name", "subAppIDs", "other", "Type"};
  std::string text = "{";
  bool first = true;
  if (record && random() % 4 != 0) {
    text += "\"type\":" + randomString(random) + ",\"id\":" + randomString(random);
    first = false;
  }
  const int count = static_cast<int>(random() % 4);
  for (int i = 0; i < count; ++i) {
    if (!first) text += ",";
    first = false;
    const std::string key = kKeys[random() % std::size(kKeys)];
    text += "\"" + key + "\":";
    const bool plausible = record && random() % 3 != 0;
    if (plausible && key == "subAppIDs") {
      text += randomArray(random, depth);
    } else if (plausible) {
      text += randomString(random);
    } else {
      text += randomValue(random, depth + 1);
    }
  }
  return text + "}";
}

std::string randomValue(std::mt19937& random, int depth) {
  switch (random() % (depth > 3 ? 5 : 7)) {
    case 0:
      return "null";
    case 1:
      return random() % 2 ? "true" : "-1.5e3";
    case 2:
    case 3:
      return randomString(random);
    case 4:
      return "7";
    case 5:
      return randomArray(random, depth);
    default:
      return randomObject(random, depth, false);
  }
}

// Over random documents, most nearly right, some wrong in one place: the streaming reader and
// the reference agree on every one (duplicate keys, nulls, wrong kinds, nested junk).
TEST(LayoutDecodeTest, StreamingReaderAgreesWithTheReferenceOverRandomDocuments) {
  const unsigned seed = 90210;
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  int decoded = 0;
  for (int round = 0; round < 4000; ++round) {
    std::string document;
    if (random() % 20 == 0) {
      document = randomValue(random, 0);
    } else {
      document = "[";
      const int count = static_cast<int>(random() % 5);
      for (int i = 0; i < count; ++i) {
        if (i > 0) document += ",";
        document += random() % 15 ? randomObject(random, 1, true) : randomValue(random, 1);
      }
      document += "]";
    }
    if (random() % 25 == 0) document.resize(random() % (document.size() + 1));  // truncated
    const auto expected = referenceDecode(document);
    const auto actual = decodeCurrentLayout(document);
    ASSERT_EQ(actual.has_value(), expected.has_value()) << document;
    if (expected) {
      EXPECT_EQ(*actual, *expected) << document;
      decoded += expected->empty() ? 0 : 1;
    }
  }
  EXPECT_GT(decoded, 200) << "the generator must produce valid layouts often enough";
}

}  // namespace
}  // namespace calyxa
