#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/workspace.h"

namespace calyxa {

// One application of the Linux desktop's menu, as its desktop entry describes it.
struct DesktopEntry {
  std::string id;           // the desktop file ID ("org.gnome.TextEditor.desktop")
  std::string path;         // the entry file's absolute path
  std::string name;         // Name in the user's language
  std::string englishName;  // Name as written, untranslated
  // GenericName and Keywords in the user's language, for search.
  std::vector<std::string> keywords;
  // The data folder it was found in belongs to the distribution, not to the user or to a
  // per-application installer (Flatpak, Snap, /usr/local).
  bool isSystem = false;
};

// The installed desktop entries the desktop's menu shows. Main thread only.
class DesktopEntrySource {
 public:
  // Removes its change handler when destroyed.
  class Watch {
   public:
    virtual ~Watch() = default;
  };

  virtual ~DesktopEntrySource() = default;

  // Every entry the desktop would show, one per desktop file ID; an entry the user's own data
  // folder shadows is not listed.
  virtual std::vector<DesktopEntry> desktopEntries() = 0;

  // Starts the entry `id` the way the desktop does (a running application that can be activated
  // comes to the front instead). Returns at once; `completion` runs later on the main queue.
  virtual void launch(const std::string& id, LaunchCompletion completion) = 0;

  // Calls `onChange` on the main thread whenever installed entries may have changed, until the
  // watch is destroyed.
  virtual std::unique_ptr<Watch> watchChanges(std::function<void()> onChange) = 0;
};

}  // namespace calyxa
