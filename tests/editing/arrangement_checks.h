#pragma once

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/test_platform.h"

namespace calyxa::testing {

// Gives the store the slots `text`, as in "a *[Pair: b c] d": folders named and identified alike,
// the one marked "*" open; every application catalogued; no toast or save pending.
inline void arrange(TestStore& store, const std::string& text) {
  std::vector<LaunchItem> items;
  std::map<std::string, AppItem> catalogue;
  std::optional<LaunchFolder> folder, open;
  bool opens = false;
  std::istringstream words(text);
  for (std::string word; words >> word;) {
    if (const auto bracket = word.find('['); bracket != std::string::npos) {
      opens = bracket == 1;
      folder = LaunchFolder(word.substr(bracket + 1, word.size() - bracket - 2),
                            word.substr(bracket + 1, word.size() - bracket - 2), {});
      continue;
    }
    const bool closes = word.ends_with(']');
    if (closes) word.pop_back();
    const AppItem app = makeApp(word);
    catalogue.emplace(app.id, app);
    folder ? folder->apps.push_back(app) : items.push_back(LaunchItem::app(app));
    if (closes && opens) open = folder;
    if (closes) items.push_back(LaunchItem::folder(*std::exchange(folder, std::nullopt)));
  }
  store->items = items;
  store->allAppsMap = catalogue;
  store->activeFolder = open;
  store->statusToast = std::nullopt;
  store.pager.pageCount = store->pageCount();
  store->flushPendingSave();
}

// The arrangement written the same way, "^" before the slot highlighted for a merge, then " | "
// and the toast if any, which it takes away.
inline std::string look(TestStore& store) {
  std::string text;
  for (const auto& slot : store->items.get()) {
    const LaunchFolder* folder = slot.asFolder();
    text += text.empty() ? "" : " ";
    text += (slot.id() == store->potentialFolderTargetID.get() ? "^" : "") +
            (folder ? "" : slot.name());
    if (!folder) continue;
    text += (store->activeFolder.get() == *folder ? "*[" : "[") + folder->name + ":";
    for (const auto& app : folder->apps)
      text += " " + app.name;
    text += "]";
  }
  if (const auto toast = store->statusToast.get()) {
    store->statusToast = std::nullopt;
    text += " | " + *toast;
  }
  return text;
}

// " app0 app1 ...": `count` applications from `first` on, for `arrange`.
inline std::string manyApps(int count, int first = 0) {
  std::string text;
  for (int i = first; i < first + count; ++i)
    text += " app" + std::to_string(i);
  return text;
}

inline const auto appID = [](const std::string& name) { return makeApp(name).id; };
inline const auto appSlot = [](const std::string& name) { return LaunchItem::app(makeApp(name)); };

inline bool isSpring(const Transaction& transaction, double response, double damping) {
  return transaction.effectiveAnimation() == Animation::spring(response, damping);
}

}  // namespace calyxa::testing
