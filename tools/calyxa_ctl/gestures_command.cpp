// calyxa-ctl gestures: the system gesture resolver by hand, for example after a crash.
#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "gestures/system_gesture_conflict_resolver.h"
#include "platform/utf8.h"

namespace calyxa::ctl {
namespace {

constexpr const char* kUnreadable =
    "the settings file cannot be read, so whether it holds the values of before is unknown";

int usage() {
  std::fprintf(stderr, "usage: calyxa-ctl gestures status|disable|restore [--restart-dock]\n");
  return EX_USAGE;
}

// A string from a preference file, quoted, with every byte a terminal could act on escaped.
std::string quoted(const std::string& text) {
  std::string out = "\"";
  for (const char c : printableText(text)) {
    if (c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string describe(const std::optional<PlistValue>& value) {
  if (!value) return "absent";
  if (const auto* b = value->as<bool>()) return *b ? "true" : "false";
  if (const auto* i = value->as<std::int64_t>()) return std::to_string(*i);
  if (const auto* u = value->as<PlistUnsignedInteger>()) return std::to_string(u->value);
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
  using TakeOver = SystemGestureConflictResolver::TakeOver;
  const auto& services = PlatformServices::shared();
  const TakeOver state = resolver.takeOverState();
  const auto snapshot = state == TakeOver::yes
                            ? services.defaults->dictionaryForKey(resolver.snapshotDefaultsKey)
                            : std::nullopt;
  std::printf("taken-over %s\n", state == TakeOver::yes  ? "yes"
                                 : state == TakeOver::no ? "no"
                                                         : "unknown");
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
  using Outcome = SystemGestureConflictResolver::Outcome;
  if (action == "disable") {
    const Outcome outcome = resolver.disableConflictingGestures(restartDock);
    if (outcome == Outcome::unknown) {
      std::fprintf(stderr, "calyxa-ctl: %s, so nothing was switched off\n", kUnreadable);
      return EX_CANTCREAT;
    }
    if (outcome == Outcome::failed && !resolver.hasTakenOverSystemGestures()) {
      std::fprintf(stderr,
                   "calyxa-ctl: the present gesture settings could not be saved (or are the "
                   "launcher's own zeros from a run whose saved values are lost), so nothing "
                   "was switched off\n");
      return EX_CANTCREAT;
    }
    std::printf("switched off\n");
    printStatus(resolver);
    if (outcome == Outcome::failed) {
      std::fprintf(stderr, "calyxa-ctl: some preferences could not be switched off\n");
      return EX_CANTCREAT;
    }
    return 0;
  }
  if (action == "restore") {
    const Outcome outcome = resolver.restoreOriginalGestures(restartDock);
    if (outcome == Outcome::unknown) {
      std::fprintf(stderr, "calyxa-ctl: %s, so nothing was restored\n", kUnreadable);
      printStatus(resolver);
      return EX_NOINPUT;
    }
    if (outcome == Outcome::failed) {
      std::fprintf(stderr,
                   "calyxa-ctl: the saved values could not all be written back; they stay saved "
                   "for the next try\n");
      printStatus(resolver);
      return EX_CANTCREAT;
    }
    std::printf(outcome == Outcome::done ? "restored\n" : "nothing to restore\n");
    printStatus(resolver);
    return 0;
  }
  return usage();
}

}  // namespace calyxa::ctl
