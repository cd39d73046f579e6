// calyxa-ctl gestures: the system gesture resolver by hand, for example after a crash.
#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "gestures/system_gesture_conflict_resolver.h"

namespace calyxa::ctl {
namespace {

int usage() {
  std::fprintf(stderr, "usage: calyxa-ctl gestures status|disable|restore [--restart-dock]\n");
  return EX_USAGE;
}

std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string describe(const std::optional<PlistValue>& value) {
  if (!value) return "absent";
  if (const auto* b = value->as<bool>()) return *b ? "true" : "false";
  if (const auto* i = value->as<std::int64_t>()) return std::to_string(*i);
  if (const auto* d = value->as<double>()) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, *d).ptr;
    return std::string(buffer, end);
  }
  if (const auto* s = value->as<std::string>()) return quoted(*s);
  if (value->is<PlistData>()) return "<data>";
  if (value->is<PlistDate>()) return "<date>";
  if (value->is<PlistUid>()) return "<uid>";
  if (value->is<PlistArray>()) return "<array>";
  return "<dictionary>";
}

void printStatus(const SystemGestureConflictResolver& resolver) {
  const auto& services = PlatformServices::shared();
  const auto snapshot = services.defaults->dictionaryForKey(resolver.snapshotDefaultsKey);
  std::printf("taken-over %s\n", snapshot ? "yes" : "no");
  for (const PrefKey& pref : resolver.managedKeys) {
    const std::string key = SystemGestureConflictResolver::snapshotKey(pref);
    std::printf(
        "%s %s current=%s", key.c_str(), pref.host.c_str(),
        describe(services.preferences->copyValue(pref.key, pref.domain, pref.host)).c_str());
    if (snapshot) {
      const auto entry = snapshot->find(key);
      std::optional<PlistValue> saved;
      if (entry != snapshot->end() &&
          entry->second != PlistValue(std::string(SystemGestureConflictResolver::kAbsentMarker))) {
        saved = entry->second;
      }
      std::printf(" saved=%s", describe(saved).c_str());
    }
    std::printf("\n");
  }
}

}  // namespace

int runGestures(const std::vector<std::string>& arguments) {
  if (arguments.empty() || arguments.size() > 2) return usage();
  const std::string& action = arguments[0];
  const bool restartDock = arguments.size() == 2;
  if (restartDock && arguments[1] != "--restart-dock") return usage();
  auto& resolver = SystemGestureConflictResolver::shared();

  if (action == "status" && !restartDock) {
    printStatus(resolver);
    return 0;
  }
  if (action == "disable") {
    resolver.disableConflictingGestures(restartDock);
    if (!resolver.hasTakenOverSystemGestures()) {
      std::fprintf(stderr,
                   "calyxa-ctl: the present gesture settings could not be saved, so nothing was "
                   "switched off\n");
      return EX_CANTCREAT;
    }
    std::printf("switched off\n");
    printStatus(resolver);
    return 0;
  }
  if (action == "restore") {
    const bool takenOver = resolver.hasTakenOverSystemGestures();
    resolver.restoreOriginalGestures(restartDock);
    std::printf(takenOver ? "restored\n" : "nothing to restore\n");
    printStatus(resolver);
    return 0;
  }
  return usage();
}

}  // namespace calyxa::ctl
