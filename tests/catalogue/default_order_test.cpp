#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <random>

#include "catalogue/default_order.h"
#include "support/test_platform.h"

namespace calyxa {
namespace {

using testing::makeApp;

std::vector<std::string> names(const std::vector<AppItem>& apps) {
  std::vector<std::string> result;
  for (const auto& app : apps)
    result.push_back(app.name);
  return result;
}

std::vector<std::string> sortedNames(std::vector<AppItem> apps, const std::string& locale) {
  const NameCollator collator(locale);
  sortInDefaultOrder(apps, collator);
  return names(apps);
}

// Sets environment variables for one test and puts the old values back.
class ScopedEnvironment {
 public:
  ScopedEnvironment(std::initializer_list<std::pair<const char*, const char*>> values) {
    for (const auto& [name, value] : values) {
      const char* old = std::getenv(name);
      saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
      if (value) {
        ::setenv(name, value, 1);
      } else {
        ::unsetenv(name);
      }
    }
  }
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name.c_str(), value->c_str(), 1);
      } else {
        ::unsetenv(name.c_str());
      }
    }
  }

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(DefaultOrderTest, TheLocaleComesFromLcAllThenLcCollateThenLang) {
  {
    ScopedEnvironment env{{"LC_ALL", "zh_CN.UTF-8"}, {"LC_COLLATE", "de_DE"}, {"LANG", "fr_FR"}};
    EXPECT_EQ(userCollationLocale(), "zh_CN");
  }
  {
    ScopedEnvironment env{{"LC_ALL", ""}, {"LC_COLLATE", "de_DE@euro"}, {"LANG", "fr_FR"}};
    EXPECT_EQ(userCollationLocale(), "de_DE");
  }
  {
    ScopedEnvironment env{{"LC_ALL", nullptr}, {"LC_COLLATE", nullptr}, {"LANG", "sv_SE.UTF-8"}};
    EXPECT_EQ(userCollationLocale(), "sv_SE");
  }
  for (const char* plain : {"C", "POSIX", "C.UTF-8"}) {
    ScopedEnvironment env{{"LC_ALL", nullptr}, {"LC_COLLATE", nullptr}, {"LANG", plain}};
    EXPECT_EQ(userCollationLocale(), "") << plain;
  }
  ScopedEnvironment env{{"LC_ALL", nullptr}, {"LC_COLLATE", nullptr}, {"LANG", nullptr}};
  EXPECT_EQ(userCollationLocale(), "");
}

TEST(DefaultOrderTest, UserApplicationsFirstThenNamesAsAFileBrowserOrdersThem) {
  const std::vector<AppItem> apps = {
      makeApp("Calculator", true), makeApp("Zoom"),  makeApp("Name 10"), makeApp("name 2"),
      makeApp("Name 1"),           makeApp("ábaco"), makeApp("Abacus"),  makeApp("abaco"),
      makeApp("Automator", true),  makeApp("ABACO"),
  };
  EXPECT_EQ(sortedNames(apps, ""),
            (std::vector<std::string>{"abaco", "ABACO", "ábaco", "Abacus", "Name 1", "name 2",
                                      "Name 10", "Zoom", "Automator", "Calculator"}))
      << "case ignored (equal names keep their order), accents not, digit runs by value";

  const NameCollator collator("");
  EXPECT_EQ(collator.compare("Photo", "photo"), 0);
  EXPECT_NE(collator.compare("resume", "résumé"), 0);
  EXPECT_LT(collator.compare("Track 9", "Track 10"), 0);
  EXPECT_LT(collator.compare("v1.2", "v1.10"), 0);
}

TEST(DefaultOrderTest, ChineseNamesFollowTheChineseCollation) {
  const std::vector<AppItem> apps = {makeApp("微信"), makeApp("阿里云盘"), makeApp("百度网盘"),
                                     makeApp("钉钉"), makeApp("Safari")};
  EXPECT_EQ(sortedNames(apps, "zh_CN"),
            (std::vector<std::string>{"阿里云盘", "百度网盘", "钉钉", "微信", "Safari"}))
      << "by pinyin (a, bai, ding, wei), and the Chinese collation puts Han before Latin";
  EXPECT_NE(sortedNames(apps, ""), sortedNames(apps, "zh_CN"))
      << "the root collation orders these by code point, not by pinyin";
}

TEST(DefaultOrderTest, SortKeysOrderExactlyAsComparisonsOverRandomNames) {
  const unsigned seed = 20240611;
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  const std::vector<std::string> parts = {"a",  "A",  "á",  "b",  "B", "z", " ", "1", "2",
                                          "10", "09", "音", "乐", "-", "é", "E", "ß", "ss"};
  for (const std::string locale : {"", "zh_CN", "de_DE", "sv_SE"}) {
    const NameCollator collator(locale);
    std::vector<AppItem> apps;
    for (int i = 0; i < 400; ++i) {
      std::string name;
      const int length = 1 + static_cast<int>(random() % 5);
      for (int k = 0; k < length; ++k)
        name += parts[random() % parts.size()];
      AppItem app = makeApp(name, random() % 4 == 0);
      app.id += "#" + std::to_string(i);  // distinct ids, possibly equal names
      apps.push_back(app);
    }
    std::vector<AppItem> expected = apps;
    std::stable_sort(expected.begin(), expected.end(), [&](const AppItem& a, const AppItem& b) {
      if (a.isSystemApp != b.isSystemApp) return !a.isSystemApp;
      return collator.compare(a.name, b.name) < 0;
    });
    sortInDefaultOrder(apps, collator);
    std::vector<std::string> actualIDs;
    std::vector<std::string> expectedIDs;
    for (std::size_t i = 0; i < apps.size(); ++i) {
      actualIDs.push_back(apps[i].id);
      expectedIDs.push_back(expected[i].id);
    }
    EXPECT_EQ(actualIDs, expectedIDs) << "locale \"" << locale << "\"";
  }
}

}  // namespace
}  // namespace calyxa
