#pragma once

#include <memory>
#include <string>
#include <variant>
#include <vector>

namespace calyxa {

// One installed application as the scan found it: a bundle, or a Linux desktop entry. Its
// identity is `id`: two records with the same id are the same application, whatever else they
// hold.
struct AppItem {
  // The bundle path ("/Applications/Safari.app" for Safari anywhere); for a desktop entry its
  // desktop file ID ("org.gnome.TextEditor.desktop"), which never begins with "/".
  std::string id;
  std::string name;         // display name
  std::string englishName;  // the bundle's file name without ".app"; an entry's plain Name
  // The bundle's identifier, or its path where it has none; an entry's ID without ".desktop".
  std::string bundleIdentifier;
  std::string path;  // bundle or entry file location on disk
  bool isSystemApp = false;
  // Further words search finds it by (an entry's GenericName and Keywords); never saved.
  std::vector<std::string> keywords = {};

  bool isDesktopEntry() const { return !id.empty() && id.front() != '/'; }

  friend bool operator==(const AppItem& a, const AppItem& b) { return a.id == b.id; }
};

// A random version-4 UUID in canonical upper-case text form (8-4-4-4-12).
std::string makeFolderID();

// A user folder in one grid slot; it holds its own copies of its applications' records.
struct LaunchFolder {
  std::string id;
  std::string name;
  std::vector<AppItem> apps;

  LaunchFolder() = default;
  // A new folder with a fresh id.
  LaunchFolder(std::string name, std::vector<AppItem> apps)
      : id(makeFolderID()), name(std::move(name)), apps(std::move(apps)) {}
  LaunchFolder(std::string id, std::string name, std::vector<AppItem> apps)
      : id(std::move(id)), name(std::move(name)), apps(std::move(apps)) {}

  // Same id, same name, and the same application ids in the same order.
  friend bool operator==(const LaunchFolder& a, const LaunchFolder& b) {
    return a.id == b.id && a.name == b.name && a.apps == b.apps;
  }
};

// One slot of the top-level grid: an application or a folder. A value: its payload never changes
// once made, so copies share it, which keeps copying whole arrangements cheap.
class LaunchItem {
 public:
  static LaunchItem app(AppItem app) {
    return LaunchItem(std::make_shared<const Payload>(std::in_place_type<AppItem>, std::move(app)));
  }
  static LaunchItem folder(LaunchFolder folder) {
    return LaunchItem(
        std::make_shared<const Payload>(std::in_place_type<LaunchFolder>, std::move(folder)));
  }

  const std::string& id() const {
    return std::visit([](const auto& payload) -> const std::string& { return payload.id; },
                      *payload_);
  }
  // The payload's display name.
  const std::string& name() const {
    return std::visit([](const auto& payload) -> const std::string& { return payload.name; },
                      *payload_);
  }
  bool isFolder() const { return std::holds_alternative<LaunchFolder>(*payload_); }
  const AppItem* asApp() const { return std::get_if<AppItem>(payload_.get()); }
  const LaunchFolder* asFolder() const { return std::get_if<LaunchFolder>(payload_.get()); }

  // Same case and equal payloads: an application and a folder are never equal.
  friend bool operator==(const LaunchItem& a, const LaunchItem& b) {
    return a.payload_ == b.payload_ || *a.payload_ == *b.payload_;
  }

 private:
  using Payload = std::variant<AppItem, LaunchFolder>;
  explicit LaunchItem(std::shared_ptr<const Payload> payload) : payload_(std::move(payload)) {}
  std::shared_ptr<const Payload> payload_;
};

}  // namespace calyxa
