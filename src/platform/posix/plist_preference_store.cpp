#include "platform/posix/plist_preference_store.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>

#include "platform/posix/file_io.h"
#include "platform/posix/plist_io.h"
#include "platform/posix/plist_user_defaults.h"

namespace calyxa {
namespace {

// Domains become file names: nothing that could leave the folder or hide as a dot file.
bool isDomainName(std::string_view domain) {
  if (domain.empty() || domain.size() > 255 || domain.front() == '.') return false;
  return std::all_of(domain.begin(), domain.end(), [](char c) {
    return c != '/' && c != '\0' && static_cast<unsigned char>(c) >= 0x20;
  });
}

bool isHostIdentifier(std::string_view id) {
  return !id.empty() && id.size() <= 128 && std::all_of(id.begin(), id.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' ||
           c == '_';
  });
}

}  // namespace

PlistPreferenceStore::PlistPreferenceStore(std::filesystem::path directory,
                                           std::string hostIdentifier)
    : directory_(std::move(directory)),
      hostIdentifier_(isHostIdentifier(hostIdentifier) ? std::move(hostIdentifier)
                                                       : std::string("localhost")) {}

std::optional<std::filesystem::path> PlistPreferenceStore::fileFor(std::string_view domain,
                                                                   std::string_view host) const {
  std::string base;
  if (domain == kPreferencesAnyApplication) {
    base = ".GlobalPreferences";
  } else if (isDomainName(domain)) {
    base = domain;
  } else {
    return std::nullopt;
  }
  if (host == kPreferencesAnyHost) return directory_ / (base + ".plist");
  if (host == kPreferencesCurrentHost) {
    return directory_ / "ByHost" / (base + "." + hostIdentifier_ + ".plist");
  }
  return std::nullopt;
}

namespace {

// One file's dictionary with the defaults' rules for damaged and unreadable files.
std::optional<PlistUserDefaults> domainFile(const std::optional<std::filesystem::path>& file) {
  if (!file) return std::nullopt;
  std::string name = file->filename().string();
  name.resize(name.size() - std::string_view(".plist").size());
  return PlistUserDefaults(file->parent_path(), name);
}

}  // namespace

std::optional<PlistValue> PlistPreferenceStore::copyValue(std::string_view key,
                                                          std::string_view domain,
                                                          std::string_view host) const {
  auto file = domainFile(fileFor(domain, host));
  if (!file) return std::nullopt;
  return file->object(key);
}

void PlistPreferenceStore::setValue(std::string_view key, const std::optional<PlistValue>& value,
                                    std::string_view domain, std::string_view host) {
  auto file = domainFile(fileFor(domain, host));
  if (!file) return;
  if (value) {
    file->setObject(key, *value);
  } else {
    file->removeObject(key);
  }
}

std::vector<std::optional<PlistValue>> PlistPreferenceStore::copyValues(
    const std::vector<std::string>& keys, std::string_view domain, std::string_view host) const {
  auto file = domainFile(fileFor(domain, host));
  if (!file) return std::vector<std::optional<PlistValue>>(keys.size());
  return file->objects(keys);
}

bool PlistPreferenceStore::setValues(const std::vector<Change>& changes, std::string_view domain,
                                     std::string_view host) {
  // The rewrite reads its bytes back before it puts them in place: no second read needed.
  auto file = domainFile(fileFor(domain, host));
  return file && file->applyChanges(changes);
}

bool PlistPreferenceStore::synchronize(std::string_view domain, std::string_view host) {
  // Every change is on disk when setValue returns and every read goes to the file, so there is
  // nothing to flush or reload; a domain that cannot be read is reported.
  const auto file = fileFor(domain, host);
  if (!file) return false;
  struct stat info {};
  if (::stat(file->c_str(), &info) != 0) return errno == ENOENT;
  return S_ISREG(info.st_mode) && static_cast<std::size_t>(info.st_size) <= kMaxPlistFileBytes &&
         ::access(file->c_str(), R_OK) == 0;
}

std::string currentHostIdentifier() {
  const FileReadResult machineId = readFileBytes("/etc/machine-id", 256);
  if (machineId.status == ReadStatus::ok) {
    std::string id = machineId.bytes;
    while (!id.empty() && (id.back() == '\n' || id.back() == ' '))
      id.pop_back();
    if (isHostIdentifier(id)) return id;
  }
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) == 0 && isHostIdentifier(name)) return name;
  return "localhost";
}

}  // namespace calyxa
