#include "catalogue_fixture.h"

#include <array>

namespace calyxa::bench {

std::vector<AppItem> realisticApps(int count) {
  static const std::array<const char*, 24> latin = {"Photoshop",
                                                    "Visual Studio Code",
                                                    "Safari",
                                                    "Xcode",
                                                    "Final Cut Pro",
                                                    "Logic Pro",
                                                    "Slack",
                                                    "Zoom",
                                                    "Microsoft Word",
                                                    "Excel",
                                                    "PowerPoint",
                                                    "Keynote",
                                                    "Pages",
                                                    "Numbers",
                                                    "Spotify",
                                                    "Firefox",
                                                    "Google Chrome",
                                                    "Terminal",
                                                    "Activity Monitor",
                                                    "Calculator",
                                                    "Music Player",
                                                    "Podcasts",
                                                    "Notion",
                                                    "Figma"};
  static const std::array<const char*, 16> chinese = {
      "微信",     "网易云音乐", "钉钉", "飞书",     "腾讯会议", "QQ音乐", "百度网盘", "爱奇艺",
      "哔哩哔哩", "WPS Office", "迅雷", "有道词典", "优酷",     "抖音",   "美图秀秀", "企业微信"};
  static const std::array<const char*, 8> vendors = {
      "com.apple",  "com.microsoft", "com.adobe",     "com.tencent",
      "com.google", "org.mozilla",   "com.bytedance", "cn.wps"};
  std::vector<AppItem> apps;
  apps.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const bool isChinese = i % 3 == 2;
    const std::string base = isChinese ? chinese[static_cast<std::size_t>(i) % chinese.size()]
                                       : latin[static_cast<std::size_t>(i) % latin.size()];
    const std::string name = base + " " + std::to_string(i / 3 + 1);
    const std::string english = isChinese ? "App" + std::to_string(i) : name;
    const std::string path = "/Applications/" + english + ".app";
    apps.push_back(AppItem{path, name, english,
                           std::string(vendors[static_cast<std::size_t>(i) % vendors.size()]) +
                               ".app" + std::to_string(i),
                           path, i % 7 == 0});
  }
  return apps;
}

std::vector<LaunchItem> arrangementWithFolders(const std::vector<AppItem>& apps, int folders,
                                               int perFolder) {
  std::vector<LaunchItem> items;
  const auto inFolders = static_cast<std::size_t>(folders * perFolder);
  const std::size_t loose = apps.size() - inFolders;
  const std::size_t spacing = folders > 0 ? loose / static_cast<std::size_t>(folders) : loose;
  int made = 0;
  for (std::size_t i = 0; i < loose; ++i) {
    if (made < folders && i % spacing == 0) {
      const auto first = apps.begin() + static_cast<std::ptrdiff_t>(made * perFolder);
      items.push_back(LaunchItem::folder(LaunchFolder(
          "Folder " + std::to_string(made), std::vector<AppItem>(first, first + perFolder))));
      ++made;
    }
    items.push_back(LaunchItem::app(apps[inFolders + i]));
  }
  return items;
}

}  // namespace calyxa::bench
