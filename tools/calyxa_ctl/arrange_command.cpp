// calyxa-ctl arrange: edits the arrangement through the store's own operations, one a line.
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "arrange_script.h"
#include "catalogue/layout_file.h"
#include "catalogue/tilewell_store.h"
#include "commands.h"
#include "launcher_services.h"
#include "platform/utf8.h"

namespace calyxa::ctl {
namespace {

constexpr int kSomeLinesFailed = 2;

// A background queue that never runs anything: a dry run must not write the layout file.
class DiscardingBackgroundQueue final : public BackgroundQueue {
 public:
  Cancellable asyncAfter(double, Work) override { return Cancellable(); }
  void waitUntilIdle() override {}
};

class ArrangeSession {
 public:
  explicit ArrangeSession(TilewellStore& store)
      : store_(store),
        toastObservation_(store.statusToast.observe(
            [this](const std::optional<std::string>& toast, const Transaction&) {
              if (toast) toasts_.push_back(*toast);
            })) {}

  // Applies one line; false (with the reason on stderr) when it could not be applied.
  bool apply(int lineNumber, const ArrangeLine& line) {
    const auto& w = line.words;
    toasts_.clear();
    switch (line.verb) {
      case ArrangeVerb::merge: {
        const auto dragged = item(lineNumber, w[0]);
        const auto target = dragged ? item(lineNumber, w[1]) : std::nullopt;
        if (!target) return false;
        store_.createOrMergeIntoFolder(*dragged, *target);
        break;
      }
      case ArrangeVerb::newFolder: {
        const auto app = catalogueApp(lineNumber, w[0]);
        if (!app) return false;
        if (w.size() > 1) {
          store_.createNewFolderWithApp(*app, w[1]);
        } else {
          store_.createNewFolderWithApp(*app);
        }
        break;
      }
      case ArrangeVerb::rename:
        if (!slot(lineNumber, w[0])) return false;
        store_.updateFolderName(w[0], w[1]);
        break;
      case ArrangeVerb::add: {
        const auto app = slot(lineNumber, w[0]) ? catalogueApp(lineNumber, w[1]) : std::nullopt;
        if (!app) return false;
        store_.addAppToFolder(w[0], *app);
        break;
      }
      case ArrangeVerb::remove:
        if (!slot(lineNumber, w[0]) || !catalogueApp(lineNumber, w[1])) return false;
        store_.removeAppFromFolder(w[0], w[1]);
        break;
      case ArrangeVerb::dissolve:
        if (!slot(lineNumber, w[0])) return false;
        store_.dissolveFolder(w[0]);
        break;
      case ArrangeVerb::step: {
        const auto target = item(lineNumber, w[0]);
        if (!target) return false;
        store_.moveItemStep(*target, line.number);
        break;
      }
      case ArrangeVerb::toPage: {
        const auto target = item(lineNumber, w[0]);
        if (!target) return false;
        store_.moveItemToPage(*target, line.number);
        break;
      }
      case ArrangeVerb::closeFolder:
        store_.activeFolder = std::nullopt;
        break;
    }
    for (const auto& toast : toasts_)
      std::printf("toast: %s\n", toast.c_str());
    std::printf("%s\n", encodeLayoutDocument(snapshotLayout(store_.items)).c_str());
    std::fflush(stdout);
    return true;
  }

 private:
  static void reportMissing(int lineNumber, const std::string& id) {
    std::fprintf(stderr, "line %d: no item \"%s\"\n", lineNumber, printableText(id).c_str());
  }

  std::optional<LaunchItem> slot(int lineNumber, const std::string& id) const {
    for (const auto& candidate : store_.items.get()) {
      if (candidate.id() == id) return candidate;
    }
    reportMissing(lineNumber, id);
    return std::nullopt;
  }

  std::optional<AppItem> catalogueApp(int lineNumber, const std::string& id) const {
    const auto found = store_.allAppsMap->find(id);
    if (found != store_.allAppsMap->end()) return found->second;
    reportMissing(lineNumber, id);
    return std::nullopt;
  }

  // The top-level slot with the id, else the catalogue's application as a slot.
  std::optional<LaunchItem> item(int lineNumber, const std::string& id) const {
    for (const auto& candidate : store_.items.get()) {
      if (candidate.id() == id) return candidate;
    }
    if (const auto found = store_.allAppsMap->find(id); found != store_.allAppsMap->end()) {
      return LaunchItem::app(found->second);
    }
    reportMissing(lineNumber, id);
    return std::nullopt;
  }

  TilewellStore& store_;
  std::vector<std::string> toasts_;
  Observation toastObservation_;
};

int usage(FILE* stream, int status) {
  std::fprintf(stream,
               "usage: calyxa-ctl arrange [--dry-run] < SCRIPT\n"
               "\n"
               "Reads arrangement operations from standard input, one a line, applies each with\n"
               "the launcher's own store operation, and prints after each its toasts\n"
               "(\"toast: TEXT\") and the arrangement as a layout-file document. The layout file\n"
               "is written at the end; --dry-run writes nothing.\n"
               "\n"
               "  merge DRAGGED TARGET      new-folder APP [NAME]     rename FOLDER NAME\n"
               "  add FOLDER APP            remove FOLDER APP         dissolve FOLDER\n"
               "  step ITEM DELTA           to-page ITEM PAGE         close-folder\n"
               "\n"
               "Words are separated by spaces; \"double quotes\" keep spaces, with \\\" and \\\\\n"
               "inside. Blank lines and lines starting with # are skipped. Exit status 2 when a\n"
               "line could not be applied (reported on standard error as \"line N: ...\").\n");
  return status;
}

}  // namespace

int runArrange(const std::vector<std::string>& arguments) {
  bool dryRun = false;
  for (const auto& argument : arguments) {
    if (argument == "--dry-run") {
      dryRun = true;
    } else if (argument == "--help" || argument == "-h") {
      return usage(stdout, 0);
    } else {
      std::fprintf(stderr, "calyxa-ctl arrange: unknown argument \"%s\"\n", argument.c_str());
      return usage(stderr, EX_USAGE);
    }
  }
  if (dryRun) {
    PlatformServices services = makeLauncherPlatformServices();
    services.backgroundQueue = std::make_shared<DiscardingBackgroundQueue>();
    PlatformServices::installShared(std::move(services));
  }

  TilewellStore& store = TilewellStore::shared();
  ArrangeSession session(store);
  bool allApplied = true;
  std::string text;
  for (int lineNumber = 1; std::getline(std::cin, text); ++lineNumber) {
    const auto parsed = parseArrangeLine(text);
    if (!parsed) continue;
    if (const auto* error = std::get_if<ArrangeSyntaxError>(&*parsed)) {
      std::fprintf(stderr, "line %d: %s\n", lineNumber, printableText(error->message).c_str());
      allApplied = false;
      continue;
    }
    allApplied = session.apply(lineNumber, std::get<ArrangeLine>(*parsed)) && allApplied;
  }
  store.flushPendingSave();
  return allApplied ? 0 : kSomeLinesFailed;
}

}  // namespace calyxa::ctl
