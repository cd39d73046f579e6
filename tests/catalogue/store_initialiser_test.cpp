#include <gtest/gtest.h>

#include "support/app_bundle_tree.h"
#include "support/test_platform.h"

namespace calyxa {
namespace {

using testing::TempDir;
using testing::TestPlatform;

// One journal for every service the initialiser touches, so that their order shows.
using Journal = std::shared_ptr<std::vector<std::string>>;

class JournalDefaults final : public UserDefaults {
 public:
  JournalDefaults(std::shared_ptr<UserDefaults> inner, Journal journal,
                  std::filesystem::path dataFolder)
      : inner_(std::move(inner)),
        journal_(std::move(journal)),
        dataFolder_(std::move(dataFolder)) {}
  std::optional<PlistValue> object(std::string_view key) const override {
    if (journal_->empty()) dataFolderAtFirstRead = std::filesystem::exists(dataFolder_);
    journal_->push_back("defaults " + std::string(key));
    return inner_->object(key);
  }
  bool setObject(std::string_view key, PlistValue value) override {
    return inner_->setObject(key, std::move(value));
  }
  bool removeObject(std::string_view key) override { return inner_->removeObject(key); }

  mutable std::optional<bool> dataFolderAtFirstRead;

 private:
  std::shared_ptr<UserDefaults> inner_;
  Journal journal_;
  std::filesystem::path dataFolder_;
};

class JournalFileSystem final : public FileSystem {
 public:
  JournalFileSystem(std::shared_ptr<FileSystem> inner, Journal journal)
      : inner_(std::move(inner)), journal_(std::move(journal)) {}
  std::optional<std::vector<std::string>> contentsOfDirectory(const std::string& path) override {
    if (path == "/Applications") journal_->push_back("list /Applications");
    return inner_->contentsOfDirectory(path);
  }
  bool fileExists(const std::string& path) override { return inner_->fileExists(path); }
  bool isDirectory(const std::string& path) override { return inner_->isDirectory(path); }

 private:
  std::shared_ptr<FileSystem> inner_;
  Journal journal_;
};

class JournalBookmarks final : public Bookmarks {
 public:
  JournalBookmarks(std::shared_ptr<Bookmarks> inner, Journal journal)
      : inner_(std::move(inner)), journal_(std::move(journal)) {}
  std::optional<PlistData> createBookmark(const std::string& path) override {
    return inner_->createBookmark(path);
  }
  std::optional<std::string> resolveBookmark(const PlistData& data) override {
    journal_->push_back("resolve bookmark");
    return inner_->resolveBookmark(data);
  }
  bool startAccessing(const std::string& path) override {
    journal_->push_back("start access");
    return inner_->startAccessing(path);
  }

 private:
  std::shared_ptr<Bookmarks> inner_;
  Journal journal_;
};

// The scan asks for the running applications once, at its end.
class JournalRunningApplications final : public RunningApplicationSource {
 public:
  explicit JournalRunningApplications(Journal journal) : journal_(std::move(journal)) {}
  std::vector<RunningApplication> runningApplications() override {
    journal_->push_back("scan ends");
    return {};
  }

 private:
  Journal journal_;
};

struct Start {
  std::vector<std::string> journal;
  bool dataFolderFirst = false;
  bool folderAccess = false;
  int apps = 0;
};

// Builds a store on journalling services over `platform` and returns what it did, in order.
Start startJournalled(const TestPlatform& platform) {
  const Journal journal = std::make_shared<std::vector<std::string>>();
  PlatformServices services = platform.services();
  auto defaults = std::make_shared<JournalDefaults>(services.defaults, journal,
                                                    platform.home->path() / "CalyxaData");
  services.defaults = defaults;
  services.fileSystem = std::make_shared<JournalFileSystem>(services.fileSystem, journal);
  services.bookmarks = std::make_shared<JournalBookmarks>(services.bookmarks, journal);
  platform.permissions->journal = platform.loginItems->journal = journal;
  services.runningApplications = std::make_shared<JournalRunningApplications>(journal);

  PagerMotionController pager;
  const TilewellStore store(services, pager);
  // The last step starts the permission poll.
  EXPECT_EQ(platform.scheduler->pendingCount(testing::ManualScheduler::Lane::main), 1);
  return {*journal, defaults->dataFolderAtFirstRead.value_or(false), store.hasGrantedFolderAccess,
          store.totalAppsCount()};
}

TEST(StoreInitialiserTest, RunsItsStepsInOrder) {
  TempDir root;
  TempDir realHome;
  TestPlatform platform;
  platform.systemRoot = SystemRoot(root.path());
  platform.userDatabase->home = realHome.path().string();
  for (const char* name : {"A", "B", "C", "D"})
    testing::writeAppBundle(root.path(), std::string("/Applications/") + name + ".app", {});

  // A stored folder that resolves: access is already granted when the permissions are read,
  // so one scan runs, after the login state.
  platform.defaults->setData("Calyxa.AppsBookmark", *platform.bookmarks->createBookmark("/Apps"));
  Start start = startJournalled(platform);
  EXPECT_TRUE(start.dataFolderFirst) << "the layout file's folder is made before anything is read";
  EXPECT_EQ(start.journal, (std::vector<std::string>{
                               "defaults Calyxa.hasCompletedOnboarding",
                               "defaults Calyxa.AppsBookmark",
                               "resolve bookmark",
                               "start access",
                               "list /Applications",
                               "defaults Calyxa.AppsBookmark",
                               "isProcessTrusted",
                               "preflightListenEventAccess",
                               "defaults Calyxa.GesturePermissionConfirmed",
                               "status",
                               "list /Applications",
                               "scan ends",
                           }));
  EXPECT_EQ(start.apps, 4);

  // Without it, the permission refresh finds the folder readable and the catalogue empty, and
  // scans at once, before the start-up scan proper.
  platform.defaults->values.clear();
  start = startJournalled(platform);
  EXPECT_EQ(start.journal, (std::vector<std::string>{
                               "defaults Calyxa.hasCompletedOnboarding",
                               "defaults Calyxa.AppsBookmark",
                               "list /Applications",
                               "defaults Calyxa.AppsBookmark",
                               "list /Applications",
                               "scan ends",
                               "isProcessTrusted",
                               "preflightListenEventAccess",
                               "defaults Calyxa.GesturePermissionConfirmed",
                               "status",
                               "list /Applications",
                               "scan ends",
                           }));
  EXPECT_TRUE(start.folderAccess);
  EXPECT_EQ(start.apps, 4);
}

}  // namespace
}  // namespace calyxa
