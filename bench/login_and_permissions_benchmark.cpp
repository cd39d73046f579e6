// The two refreshes that run while the program sits idle: the permission poll every 1.5 s and
// the login state each time the overlay shows, on the real Linux backends.
#include <benchmark/benchmark.h>

#include "platform/posix/linux_system_permissions.h"
#include "platform/posix/xdg_autostart_login_items.h"
#include "support/test_platform.h"

namespace calyxa {
namespace {

constexpr int kApplicationsEntries = 300;

struct IdleFixture {
  testing::TempDir root;
  testing::TempDir realHome;
  testing::TempDir config;
  testing::TestPlatform platform;
  PagerMotionController pager;
  std::unique_ptr<TilewellStore> store;

  IdleFixture() {
    for (int i = 0; i < kApplicationsEntries; ++i)
      root.write("Applications/Entry " + std::to_string(i), "");
    platform.systemRoot = SystemRoot(root.path());
    platform.userDatabase->home = realHome.path().string();
    PlatformServices services = platform.services();
    services.permissions = std::make_shared<LinuxSystemPermissions>();
    auto loginItems =
        std::make_shared<XdgAutostartLoginItems>(config / "autostart", platform.processInfo);
    loginItems->registerMainApp();
    services.loginItems = loginItems;
    store = std::make_unique<TilewellStore>(services, pager);
    // Both the service and an agent for the present path: the refresh reads everything.
    store->writeLaunchAgentPlist(store->resolveExecutablePathForLaunchAgent());
  }
};

IdleFixture& idleFixture() {
  static IdleFixture fixture;
  return fixture;
}

void BM_RefreshPermissionStates(benchmark::State& state) {
  TilewellStore& store = *idleFixture().store;
  for (auto _ : state)
    store.refreshPermissionStates();
  state.counters["folderAccess"] = store.hasGrantedFolderAccess ? 1 : 0;
}
BENCHMARK(BM_RefreshPermissionStates)->Unit(benchmark::kMicrosecond);

void BM_RefreshLaunchAtLoginState(benchmark::State& state) {
  TilewellStore& store = *idleFixture().store;
  for (auto _ : state)
    store.refreshLaunchAtLoginState();
  state.counters["enabled"] = store.isLaunchAtLoginEnabled ? 1 : 0;
}
BENCHMARK(BM_RefreshLaunchAtLoginState)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace calyxa
