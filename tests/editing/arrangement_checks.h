#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "catalogue/launch_item.h"
#include "platform/animation.h"

namespace calyxa::testing {

// How often each application id occurs in the arrangement, top level and inside folders.
inline std::map<std::string, int> appOccurrences(const std::vector<LaunchItem>& items) {
  std::map<std::string, int> seen;
  for (const auto& item : items) {
    if (const AppItem* app = item.asApp()) {
      ++seen[app->id];
    } else {
      for (const auto& member : item.asFolder()->apps)
        ++seen[member.id];
    }
  }
  return seen;
}

// Empty when every application stands in one place only and slot ids are distinct; else what is
// wrong.
inline std::string arrangementFault(const std::vector<LaunchItem>& items) {
  for (const auto& [id, count] : appOccurrences(items)) {
    if (count > 1) return id + " occurs " + std::to_string(count) + " times";
  }
  std::set<std::string> slotIDs;
  for (const auto& item : items) {
    if (!slotIDs.insert(item.id()).second) return "two slots share the id " + item.id();
  }
  return {};
}

inline bool isSpring(const Transaction& transaction, double response, double damping) {
  const Animation& a = transaction.animation;
  return !transaction.disablesAnimations && a.curve == Animation::Curve::spring &&
         a.response == response && a.dampingFraction == damping && a.blendDuration == 0.0;
}

inline bool isUnanimated(const Transaction& transaction) {
  return transaction.effectiveAnimation().isNone();
}

}  // namespace calyxa::testing
