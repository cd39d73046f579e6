// Saves killed at random moments: whatever moment a SIGKILL lands, what is on disk is a whole
// file, the one before or the one being written, and crashed writers leave no litter behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <thread>

#include "catalogue/layout_file.h"
#include "gestures/system_gesture_conflict_resolver.h"
#include "platform/posix/file_io.h"
#include "platform/posix/plist_io.h"
#include "platform/posix/plist_preference_store.h"
#include "platform/posix/plist_user_defaults.h"
#include "support/app_bundle_tree.h"
#include "support/test_platform.h"

namespace calyxa {
namespace {

using namespace calyxa::testing;
namespace fs = std::filesystem;

constexpr int kKills = 200;
constexpr int kMaxDelayMicroseconds = 4000;

std::uint32_t killSeed() {
  const char* chosen = std::getenv("CALYXA_KILL_SEED");
  const std::uint32_t seed = chosen ? std::uint32_t(std::strtoul(chosen, nullptr, 10)) : 20261206u;
  std::printf("kill seed %u (set CALYXA_KILL_SEED to replay another)\n", seed);
  return seed;
}

// In memory where there is such a folder: a kill needs no disk flush to prove anything, and
// fsync on a busy disk takes tens of milliseconds.
fs::path scratchParent() {
  return fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
}

// A child process's body: it writes one byte to `ready` once its first save is on disk, then
// saves again and again, `rounds` times or until it is killed.
using ChildBody = std::function<void(int ready, std::uint32_t seed, int rounds)>;

// Runs `body` in a forked child and returns its exit status (128 + signal when killed), killing
// it with SIGKILL `delayMicroseconds` after it reported ready unless that is negative.
int runChild(const ChildBody& body, std::uint32_t seed, int delayMicroseconds, int rounds) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return -1;
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    try {
      body(fds[1], seed, rounds);
    } catch (...) {
      ::_exit(3);
    }
    ::_exit(0);
  }
  ::close(fds[1]);
  char byte = 0;
  const bool ready = pid > 0 && ::read(fds[0], &byte, 1) == 1;
  ::close(fds[0]);
  if (pid < 0) return -1;
  if (ready && delayMicroseconds >= 0) {
    std::this_thread::sleep_for(std::chrono::microseconds(delayMicroseconds));
    ::kill(pid, SIGKILL);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Kills a child running `body` kKills times at random moments, calling `check` after each kill,
// then lets one child run to its end and calls `check` once more.
void killRepeatedly(const ChildBody& body, const std::function<void(bool finished)>& check) {
  const std::uint32_t seed = killSeed();
  SCOPED_TRACE("kill seed " + std::to_string(seed));
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> delay(0, kMaxDelayMicroseconds);
  for (int kill = 0; kill < kKills; ++kill) {
    const std::uint32_t childSeed = random();
    ASSERT_EQ(runChild(body, childSeed, delay(random), -1), 128 + SIGKILL) << "kill " << kill;
    check(false);
    if (::testing::Test::HasFailure()) return;
  }
  ASSERT_EQ(runChild(body, random(), -1, 20), 0);
  check(true);
}

void signalReady(int ready) {
  (void)!::write(ready, "r", 1);
}

// The names in `folder` that are neither `kept` nor folders.
std::vector<std::string> strayFiles(const fs::path& folder, const std::set<std::string>& kept) {
  std::vector<std::string> stray;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename();
    if (!entry.is_directory() && !kept.contains(name)) stray.push_back(name);
  }
  return stray;
}

// Whole lines appended by a child; a line cut short by the kill is not one.
std::vector<std::string> journalLines(const fs::path& journal) {
  std::string bytes = readFileBytes(journal, 1 << 28).bytes;
  bytes.erase(bytes.rfind('\n') + 1);  // npos + 1 == 0: no whole line
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < bytes.size();) {
    const std::size_t end = bytes.find('\n', start);
    lines.push_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

void appendLine(const fs::path& journal, const std::string& line) {
  const int fd = ::open(journal.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  (void)!::write(fd, (line + "\n").data(), line.size() + 1);
  ::close(fd);
}

TEST(CrashSafetyTest, AKilledStoreLeavesTheLayoutFileWholeWithEveryApplicationOnce) {
  const TempDir dir(scratchParent());
  TestPlatform platform;
  platform.systemRoot = SystemRoot(dir / "root");
  platform.home = std::make_shared<TempDir>(scratchParent());
  std::set<std::string> catalogue;
  for (int i = 0; i < 40; ++i) {
    const std::string id = "/Applications/App " + std::to_string(i) + ".app";
    writeAppBundle(dir / "root", id, {});
    catalogue.insert(id);
  }
  const fs::path data = platform.home->path() / "CalyxaData";
  const fs::path layout = data / "tilewell_layout.json";
  const fs::path journal = dir / "journal";

  // Real edits through the store, each written out by the store's own save.
  const ChildBody body = [&](int ready, std::uint32_t seed, int rounds) {
    PagerMotionController pager;
    TilewellStore store(platform.services(), pager);
    platform.scheduler->advance(1.0);  // the scan and its save
    const auto document = [&] { return encodeLayoutDocument(snapshotLayout(store.items)); };
    appendLine(journal, document());
    signalReady(ready);
    std::mt19937 random(seed);
    for (int round = 0; round != rounds; ++round) {
      const std::vector<LaunchItem> items = store.items;
      const LaunchItem& item = items[random() % items.size()];
      const LaunchItem& other = items[random() % items.size()];
      switch (random() % 4) {
        case 0:
          store.moveItemStep(item, int(random() % 17) - 8);
          break;
        case 1:
          store.moveItemToPage(item, int(random() % 3));
          break;
        case 2:
          if (item.id() != other.id()) store.createOrMergeIntoFolder(item, other);
          break;
        default:
          if (const LaunchFolder* folder = item.asFolder(); folder && random() % 2) {
            store.removeAppFromFolder(folder->id, folder->apps.front().id);
          } else if (folder) {
            store.dissolveFolder(folder->id);
          }
      }
      appendLine(journal, document());
      store.flushPendingSave();
    }
  };

  std::optional<std::string> before;  // the file when the child started
  int tornWrites = 0;
  killRepeatedly(
      [&](int ready, std::uint32_t seed, int rounds) {
        fs::remove(journal);
        body(ready, seed, rounds);
      },
      [&](bool finished) {
        const std::string now = readFileBytes(layout, kMaxLayoutFileBytes).bytes;
        const auto records = decodeCurrentLayout(now);
        ASSERT_TRUE(records) << now;
        std::multiset<std::string> apps;
        for (const auto& record : *records) {
          if (record.type == "app") apps.insert(record.id);
          for (const auto& id : record.subAppIDs.value_or(std::vector<std::string>{}))
            apps.insert(id);
        }
        EXPECT_EQ(apps, std::multiset<std::string>(catalogue.begin(), catalogue.end()));
        // The file the child found, then each arrangement it went on to save, in order: the kill
        // leaves the last of them or the one before.
        std::vector<std::optional<std::string>> saved{before};
        for (auto& line : journalLines(journal))
          saved.push_back(std::move(line));
        ASSERT_GE(saved.size(), 2u);
        EXPECT_TRUE(now == saved.back() || now == saved[saved.size() - 2]);
        const auto stray = strayFiles(data, {"tilewell_layout.json"});
        EXPECT_LE(stray.size(), finished ? 0u : 1u) << ::testing::PrintToString(stray);
        tornWrites += int(stray.size());
        before = now;
      });
  std::printf("%d of %d kills landed inside a write\n", tornWrites, kKills);
}

TEST(CrashSafetyTest, AKilledWriterLeavesTheUserDefaultsFileWholeWithNothingLost) {
  const TempDir dir(scratchParent());
  const fs::path folder = dir / "config" / "calyxa";
  const fs::path journal = dir / "journal";
  PlistUserDefaults(folder, kDefaultsDomain).setObject("hasCompletedOnboarding", true);
  const PlistDictionary kept = {{"hasCompletedOnboarding", true}};

  // Each generation rewrites one entry large enough for a torn write to show.
  const auto entry = [](std::int64_t generation) {
    PlistArray payload;
    for (int i = 0; i < 200; ++i)
      payload.push_back("第" + std::to_string(generation) + "代 " + std::to_string(i));
    return PlistDictionary{{"generation", generation}, {"payload", payload}};
  };
  std::int64_t last = 0;
  killRepeatedly(
      [&](int ready, std::uint32_t, int rounds) {
        fs::remove(journal);
        PlistUserDefaults defaults(folder, kDefaultsDomain);
        for (int round = 0; round != rounds; ++round) {
          appendLine(journal, std::to_string(++last));
          defaults.setDictionary("Calyxa.Generation", entry(last));
          if (round == 0) signalReady(ready);
        }
      },
      [&](bool finished) {
        const auto parsed = parsePlist(
            readFileBytes(folder / "com.vantorel.tilewell.plist", kMaxPlistFileBytes).bytes);
        ASSERT_TRUE(parsed && parsed->is<PlistDictionary>());
        PlistDictionary values = *parsed->as<PlistDictionary>();
        const auto saved = values.find("Calyxa.Generation");
        ASSERT_NE(saved, values.end());
        const auto* generation =
            saved->second.as<PlistDictionary>()->at("generation").as<std::int64_t>();
        ASSERT_TRUE(generation);
        const auto written = journalLines(journal);
        ASSERT_FALSE(written.empty());
        const std::int64_t newest = std::stoll(written.back());
        EXPECT_TRUE(*generation == newest || *generation == newest - 1) << *generation;
        EXPECT_EQ(saved->second, PlistValue(entry(*generation)));
        values.erase(saved);
        EXPECT_EQ(values, kept);
        const auto stray = strayFiles(folder, {"com.vantorel.tilewell.plist"});
        EXPECT_LE(stray.size(), finished ? 0u : 1u) << ::testing::PrintToString(stray);
        last = *generation;
      });
}

TEST(CrashSafetyTest, AKilledTakeOverKeepsTheUsersGestureSettingsInTheSnapshotOrInPlace) {
  const TempDir dir(scratchParent());
  const fs::path folder = dir / "config" / "calyxa";
  PlatformServices services = TestPlatform().services();
  services.defaults = std::make_shared<PlistUserDefaults>(folder, kDefaultsDomain);
  services.preferences = std::make_shared<PlistPreferenceStore>(folder / "Preferences", "host");
  services.systemSettings = nullptr;
  const SystemGestureConflictResolver resolver(services);

  // The user's own settings: some set, some never made.
  const std::vector<std::optional<PlistValue>> original = {
      2, 1, std::nullopt, 0, true, std::nullopt, true};
  ASSERT_EQ(original.size(), resolver.managedKeys.size());
  for (std::size_t i = 0; i < original.size(); ++i) {
    const PrefKey& pref = resolver.managedKeys[i];
    services.preferences->setValue(pref.key, original[i], pref.domain, pref.host);
  }
  PlistDictionary expectedSnapshot;
  for (std::size_t i = 0; i < original.size(); ++i) {
    expectedSnapshot.emplace(
        SystemGestureConflictResolver::snapshotKey(resolver.managedKeys[i]),
        original[i].value_or(std::string(SystemGestureConflictResolver::kAbsentMarker)));
  }

  killRepeatedly(
      [&](int ready, std::uint32_t, int rounds) {
        SystemGestureConflictResolver child(services);
        for (int round = 0; round != rounds; ++round) {
          child.disableConflictingGestures(false);
          if (round == 0) signalReady(ready);
          child.restoreOriginalGestures(false);
        }
      },
      [&](bool finished) {
        // Every file parses and none was set aside as damaged. A temporary is swept when its file
        // is next written: at most the one the kill cut short is left of each file.
        static const std::regex kTemporaryName(R"(\.(.+)\.[0-9]+\.[A-Za-z0-9]{6})");
        std::map<fs::path, int> temporaries;
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
          if (entry.is_directory()) continue;
          const std::string name = entry.path().filename();
          if (std::smatch temporary; std::regex_match(name, temporary, kTemporaryName)) {
            ++temporaries[entry.path().parent_path() / temporary[1].str()];
            continue;
          }
          const auto parsed = parsePlist(readFileBytes(entry.path(), kMaxPlistFileBytes).bytes);
          EXPECT_TRUE(name.ends_with(".plist") && parsed && parsed->is<PlistDictionary>())
              << entry.path();
        }
        for (const auto& [file, count] : temporaries)
          EXPECT_LE(count, finished ? 0 : 1) << file;
        // The user's values are in the snapshot while the gestures are taken over, else back in
        // place.
        if (const auto snapshot =
                services.defaults->dictionaryForKey(resolver.snapshotDefaultsKey)) {
          EXPECT_FALSE(finished);
          EXPECT_EQ(*snapshot, expectedSnapshot);
        } else {
          for (std::size_t i = 0; i < original.size(); ++i) {
            const PrefKey& pref = resolver.managedKeys[i];
            EXPECT_EQ(services.preferences->copyValue(pref.key, pref.domain, pref.host),
                      original[i])
                << pref.key;
          }
        }
      });
}

}  // namespace
}  // namespace calyxa
