#include "shell/snapshot_command.h"

#include <sysexits.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QSaveFile>
#include <QTimer>
#include <charconv>
#include <cstdio>
#include <filesystem>

#include "catalogue/tilewell_store.h"
#include "platform/qt/qt_platform_services.h"
#include "views/icon_raster_cache.h"
#include "views/tilewell_view.h"

namespace calyxa {
namespace {

constexpr int kMaxEdge = 16384;

std::optional<int> parseInt(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// A clock the snapshot moves by hand: animations started at one time are settled at the next.
class SnapshotClock final : public MediaClock {
 public:
  double now() const override { return now_; }
  void advance(double seconds) { now_ += seconds; }

 private:
  double now_ = 1000.0;
};

// The snapshot writes nothing but its picture: the debounced layout save never runs.
class DiscardingBackgroundQueue final : public BackgroundQueue {
 public:
  Cancellable asyncAfter(double, Work) override {
    Cancellable handle;
    handle.cancel();
    return handle;
  }
  void waitUntilIdle() override {}
};

// Preferences are read as they are and never written.
class ReadOnlyDefaults final : public UserDefaults {
 public:
  explicit ReadOnlyDefaults(std::shared_ptr<UserDefaults> inner) : inner_(std::move(inner)) {}
  std::optional<PlistValue> object(std::string_view key) const override {
    return inner_->object(key);
  }
  bool setObject(std::string_view, PlistValue) override { return false; }
  bool removeObject(std::string_view) override { return false; }

 private:
  std::shared_ptr<UserDefaults> inner_;
};

// The login state is not the snapshot's business: with no user home on record, the start-up
// finds no launch agent to repair.
class NoHomeUserDatabase final : public UserDatabase {
 public:
  std::optional<std::string> currentUserHomeDirectory() override {
    return "/nonexistent/calyxa-snapshot";
  }
};

void usageLine(const std::string& reason) {
  std::fprintf(stderr,
               "Calyxa: %s\nusage: Calyxa --snapshot FILE.png [--size WxH] [--page N] "
               "[--search TEXT] [--edit]\n",
               reason.c_str());
}

// Why `file` cannot be written, or nothing.
std::optional<std::string> unwritableReason(const std::string& file) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path path = fs::absolute(fs::path(file), error);
  if (error) return error.message();
  const fs::path folder = path.parent_path();
  if (!fs::exists(folder, error)) return "the folder " + folder.string() + " does not exist";
  if (!fs::is_directory(folder, error)) return folder.string() + " is not a folder";
  if (fs::is_directory(path, error)) return path.string() + " is a folder";
  if (::access(folder.c_str(), W_OK) != 0) {
    return "the folder " + folder.string() + " is not writable";
  }
  return std::nullopt;
}

void runEventsFor(int milliseconds) {
  QEventLoop loop;
  QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace

bool wantsSnapshot(const std::vector<std::string>& arguments) {
  for (const std::string& argument : arguments) {
    if (argument == "--snapshot") return true;
  }
  return false;
}

std::variant<SnapshotOptions, SnapshotUsageError> parseSnapshotArguments(
    const std::vector<std::string>& arguments) {
  SnapshotOptions options;
  bool haveFile = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--edit") {
      options.edit = true;
      continue;
    }
    if (argument != "--snapshot" && argument != "--size" && argument != "--page" &&
        argument != "--search") {
      return SnapshotUsageError{"unknown argument " + argument};
    }
    if (i + 1 >= arguments.size()) return SnapshotUsageError{argument + " needs a value"};
    const std::string& value = arguments[++i];
    if (argument == "--snapshot") {
      if (value.empty()) return SnapshotUsageError{"--snapshot needs a file name"};
      options.file = value;
      haveFile = true;
    } else if (argument == "--size") {
      const auto x = value.find('x');
      const auto w = x == std::string::npos ? std::nullopt : parseInt(value.substr(0, x));
      const auto h = x == std::string::npos ? std::nullopt : parseInt(value.substr(x + 1));
      if (!w || !h || *w < 1 || *h < 1 || *w > kMaxEdge || *h > kMaxEdge) {
        return SnapshotUsageError{"--size wants WIDTHxHEIGHT, 1 to 16384 each, not " + value};
      }
      options.width = *w;
      options.height = *h;
    } else if (argument == "--page") {
      const auto page = parseInt(value);
      if (!page || *page < 1) {
        return SnapshotUsageError{"--page wants a page number from 1, not " + value};
      }
      options.page = *page - 1;
    } else {
      options.search = value;
    }
  }
  if (!haveFile) return SnapshotUsageError{"--snapshot FILE.png is required"};
  return options;
}

int runSnapshotCommand(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const auto parsed = parseSnapshotArguments(arguments);
  if (const auto* error = std::get_if<SnapshotUsageError>(&parsed)) {
    usageLine(error->reason);
    return EX_USAGE;
  }
  const SnapshotOptions& options = std::get<SnapshotOptions>(parsed);
  if (const auto reason = unwritableReason(options.file)) {
    std::fprintf(stderr, "Calyxa: cannot write %s: %s\n", options.file.c_str(), reason->c_str());
    return EX_CANTCREAT;
  }

  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);

  PlatformServices services = makeQtPlatformServices();
  services.backgroundQueue = std::make_shared<DiscardingBackgroundQueue>();
  services.defaults = std::make_shared<ReadOnlyDefaults>(services.defaults);
  services.userDatabase = std::make_shared<NoHomeUserDatabase>();
  PlatformServices::installShared(services);

  // The store makes the folder of the layout file at start-up; an empty one it made goes again.
  const std::filesystem::path dataFolder = services.homeDirectory / "CalyxaData";
  std::error_code error;
  const bool hadDataFolder = std::filesystem::exists(dataFolder, error);
  struct RemoveIfMadeEmpty {
    std::filesystem::path folder;
    bool existed;
    ~RemoveIfMadeEmpty() {
      std::error_code ignored;
      if (!existed && std::filesystem::is_empty(folder, ignored)) {
        std::filesystem::remove(folder, ignored);
      }
    }
  } cleanup{dataFolder, hadDataFolder};

  auto clock = std::make_shared<SnapshotClock>();
  FrameDriver driver(clock, services.mainQueue);
  PagerMotionController pager;
  TilewellStore store(services, pager);
  TilewellView view(
      store, [] {}, nullptr, driver);
  view.resize(options.width, options.height);
  withoutAnimation([&] {
    store.isPresented = true;
    if (options.search) store.searchText = *options.search;
    store.isEditingPositions = options.edit;
  });
  pager.switchPageAnimated(options.page);
  view.show();

  // Everything settles; a few frames place what moved. The first picture asks for the icons,
  // which are then decoded before the picture that counts.
  clock->advance(10.0);
  runEventsFor(50);
  view.grab();
  IconRasterCache::shared().waitUntilIdle();
  QCoreApplication::processEvents();

  const QImage picture = view.grab().toImage();
  QSaveFile file(QString::fromStdString(options.file));
  if (!file.open(QIODevice::WriteOnly) || !picture.save(&file, "PNG") || !file.commit()) {
    std::fprintf(stderr, "Calyxa: cannot write %s: %s\n", options.file.c_str(),
                 file.errorString().toLocal8Bit().constData());
    return EX_CANTCREAT;
  }
  return 0;
}

}  // namespace calyxa
