// The whole scan over 2,000 desktop entries with a saved layout of 2,000 records, beside
// GIO's own listing of the same entries, which is the floor the scan builds on.
#include <benchmark/benchmark.h>
#include <gio/gio.h>

#include <cstdio>
#include <cstdlib>

#include "catalogue/layout_file.h"
#include "platform/posix/gio_desktop_entries.h"
#include "support/test_platform.h"

namespace calyxa {
namespace {

constexpr int kEntries = 2000;
constexpr int kFolders = 50;
constexpr int kPerFolder = 4;

std::string entryText(int i) {
  char name[32];
  std::snprintf(name, sizeof name, "Program %04d", i);
  return std::string("[Desktop Entry]\nType=Application\nVersion=1.5\nName=") + name +
         "\nName[zh_CN]=程序 " + std::to_string(i) + "\nName[de]=Programm " + std::to_string(i) +
         "\nGenericName=Tool\nGenericName[zh_CN]=工具\nComment=Does things number " +
         std::to_string(i) + "\nComment[zh_CN]=做事\nKeywords=work;tool;\nKeywords[zh_CN]=工作;\n" +
         "Exec=true %U\nIcon=program-" + std::to_string(i) +
         "\nTerminal=false\nCategories=Utility;\nMimeType=text/plain;\n" +
         (i % 10 == 0 ? "NoDisplay=true\n" : "");
}

struct DesktopEntriesFixture {
  testing::TempDir data;
  testing::TestPlatform platform;
  PagerMotionController pager;
  std::unique_ptr<TilewellStore> store;

  DesktopEntriesFixture() {
    for (int i = 0; i < kEntries; ++i) {
      // Some in vendor sub-folders, as distributions install them.
      const std::string file =
          (i % 7 == 0 ? "vendor/" : "") + std::string("program-") + std::to_string(i) + ".desktop";
      data.write("share/applications/" + file, entryText(i));
    }
    std::filesystem::create_directories(data / "home/applications");
    // GIO reads these once, at its first use.
    ::setenv("XDG_DATA_HOME", (data / "home").c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (data / "share").c_str(), 1);
    ::setenv("LANG", "zh_CN.UTF-8", 1);

    // The layout: every entry's ID, some of them in folders.
    std::vector<SavedLayoutItem> layout;
    std::vector<std::string> ids;
    for (int i = 0; i < kEntries; ++i)
      ids.push_back((i % 7 == 0 ? "vendor-" : "") + std::string("program-") + std::to_string(i) +
                    ".desktop");
    std::size_t next = 0;
    for (int f = 0; f < kFolders; ++f) {
      SavedLayoutItem folder{"folder", "F" + std::to_string(f), "文件夹",
                             std::vector<std::string>{}};
      for (int k = 0; k < kPerFolder; ++k)
        folder.subAppIDs->push_back(ids[next++]);
      layout.push_back(std::move(folder));
    }
    for (; next < ids.size(); ++next)
      layout.push_back({"app", ids[next], std::nullopt, std::nullopt});
    writeLayoutFile(platform.home->path() / "CalyxaData" / "tilewell_layout.json", layout);

    PlatformServices services = platform.services();
    services.desktopEntries = std::make_shared<GioDesktopEntries>(
        platform.scheduler->mainQueue(), platform.scheduler->backgroundQueue());
    store = std::make_unique<TilewellStore>(services, pager);
  }
};

DesktopEntriesFixture& fixture() {
  static DesktopEntriesFixture made;
  return made;
}

void BM_GAppInfoGetAll(benchmark::State& state) {
  fixture();
  int count = 0;
  for (auto _ : state) {
    GList* all = g_app_info_get_all();
    count = static_cast<int>(g_list_length(all));
    g_list_free_full(all, g_object_unref);
  }
  state.counters["entries"] = count;
}
BENCHMARK(BM_GAppInfoGetAll)->Unit(benchmark::kMillisecond);

void BM_ScanWithDesktopEntries(benchmark::State& state) {
  DesktopEntriesFixture& made = fixture();
  for (auto _ : state) {
    made.store->scanApplications(std::nullopt, false);
    state.PauseTiming();
    made.platform.scheduler->advance(1.0);  // writes the save, drops what it superseded
    state.ResumeTiming();
  }
  state.counters["apps"] = made.store->totalAppsCount();
  state.counters["slots"] = static_cast<double>(made.store->items->size());
}
BENCHMARK(BM_ScanWithDesktopEntries)->Unit(benchmark::kMillisecond);

// GIO's entries, forgetting every file it read whenever asked to: a scan as a launcher just
// started makes it.
class ForgetfulEntries final : public DesktopEntrySource {
 public:
  explicit ForgetfulEntries(testing::TestPlatform& platform) : platform_(platform) { forget(); }
  void forget() {
    gio_ = std::make_unique<GioDesktopEntries>(platform_.scheduler->mainQueue(),
                                               platform_.scheduler->backgroundQueue());
  }
  std::vector<DesktopEntry> desktopEntries() override { return gio_->desktopEntries(); }
  void launch(const std::string& id, LaunchCompletion completion) override {
    gio_->launch(id, std::move(completion));
  }
  std::unique_ptr<Watch> watchChanges(std::function<void()> onChange) override {
    return gio_->watchChanges(std::move(onChange));
  }

 private:
  testing::TestPlatform& platform_;
  std::unique_ptr<GioDesktopEntries> gio_;
};

void BM_FirstScanWithDesktopEntries(benchmark::State& state) {
  DesktopEntriesFixture& made = fixture();
  PlatformServices services = made.platform.services();
  auto entries = std::make_shared<ForgetfulEntries>(made.platform);
  services.desktopEntries = entries;
  TilewellStore store(services, made.pager);
  for (auto _ : state) {
    state.PauseTiming();
    entries->forget();
    state.ResumeTiming();
    store.scanApplications(std::nullopt, false);
    state.PauseTiming();
    made.platform.scheduler->advance(1.0);
    state.ResumeTiming();
  }
  state.counters["apps"] = store.totalAppsCount();
}
BENCHMARK(BM_FirstScanWithDesktopEntries)->Unit(benchmark::kMillisecond);

// A rescan after one entry of the 2,000 was rewritten, as an installation brings it.
void BM_RescanAfterOneEntryChanged(benchmark::State& state) {
  DesktopEntriesFixture& made = fixture();
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    made.data.write("share/applications/program-1.desktop",
                    entryText(1) + "X-Round=" + std::to_string(++round) + "\n");
    state.ResumeTiming();
    made.store->scanApplications(std::nullopt, false);
    state.PauseTiming();
    made.platform.scheduler->advance(1.0);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_RescanAfterOneEntryChanged)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace calyxa
