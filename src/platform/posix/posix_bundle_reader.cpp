#include "platform/posix/posix_bundle_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "platform/posix/bundle_info.h"
#include "platform/posix/file_io.h"
#include "platform/posix/plist_io.h"
#include "platform/posix/strings_file.h"

namespace calyxa {
namespace {

std::string_view environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string_view(value) : std::string_view();
}

bool isPlainLocale(std::string_view name) {
  return name.empty() || name == "C" || name == "POSIX" || name.starts_with("C.");
}

// Folder names older bundles use for their languages.
std::string_view legacyLanguageName(std::string_view language) {
  static constexpr std::pair<std::string_view, std::string_view> kNames[] = {
      {"en", "English"}, {"fr", "French"},  {"de", "German"}, {"ja", "Japanese"},
      {"es", "Spanish"}, {"it", "Italian"}, {"nl", "Dutch"},
  };
  for (const auto& [code, name] : kNames) {
    if (code == language) return name;
  }
  return {};
}

void appendUnique(std::vector<std::string>& names, std::string name) {
  if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end()) {
    names.push_back(std::move(name));
  }
}

}  // namespace

std::vector<std::string> bundleLocalizationsForLocale(std::string_view locale) {
  locale = locale.substr(0, locale.find_first_of(".@"));
  if (isPlainLocale(locale)) return {"en", "English"};
  const std::size_t separator = locale.find_first_of("_-");
  std::string language(locale.substr(0, separator));
  std::transform(language.begin(), language.end(), language.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const std::string region(separator == std::string_view::npos ? std::string_view()
                                                               : locale.substr(separator + 1));
  std::vector<std::string> names;
  if (language == "zh") {
    const bool traditional =
        region == "TW" || region == "HK" || region == "MO" || region.starts_with("Hant");
    appendUnique(names, traditional ? "zh-Hant" : "zh-Hans");
  }
  if (!region.empty()) {
    appendUnique(names, language + "-" + region);
    appendUnique(names, language + "_" + region);
  }
  appendUnique(names, language);
  appendUnique(names, std::string(legacyLanguageName(language)));
  return names;
}

std::vector<std::string> preferredBundleLocalizations() {
  std::string_view locale = environment("LC_ALL");
  if (locale.empty()) locale = environment("LC_MESSAGES");
  if (locale.empty()) locale = environment("LANG");
  std::vector<std::string> names;
  // As for message catalogues, LANGUAGE lists preferences unless the locale is the plain one.
  std::string_view languages = environment("LANGUAGE");
  while (!isPlainLocale(locale) && !languages.empty()) {
    const std::size_t colon = languages.find(':');
    for (auto& name : bundleLocalizationsForLocale(languages.substr(0, colon)))
      appendUnique(names, std::move(name));
    languages = colon == std::string_view::npos ? std::string_view() : languages.substr(colon + 1);
  }
  for (auto& name : bundleLocalizationsForLocale(locale))
    appendUnique(names, std::move(name));
  return names;
}

std::optional<std::string> PosixBundleReader::bundleIdentifier(const std::string& bundlePath) {
  // Only one entry is wanted, and the scan asks for thousands: skip converting the rest.
  const FileReadResult file =
      readFileBytesAt(AT_FDCWD, (root_.resolveString(bundlePath) + "/Contents/Info.plist").c_str(),
                      kMaxPlistFileBytes);
  if (file.status != ReadStatus::ok) return std::nullopt;
  return plistDictionaryString(file.bytes, "CFBundleIdentifier");
}

std::optional<PlistDictionary> PosixBundleReader::infoDictionary(const std::string& bundlePath) {
  return readBundleInfoDictionary(root_.resolve(bundlePath));
}

std::optional<PlistDictionary> PosixBundleReader::localizedInfoDictionary(
    const std::string& bundlePath) {
  if (localizations_.empty()) return std::nullopt;
  // Most bundles have no translations at all: one failed open answers for every language.
  const std::string resources = root_.resolveString(bundlePath) + "/Contents/Resources";
  const int directory = ::open(resources.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (directory < 0) return std::nullopt;
  std::optional<PlistDictionary> entries;
  for (const auto& language : localizations_) {
    const FileReadResult file = readFileBytesAt(
        directory, (language + ".lproj/InfoPlist.strings").c_str(), kMaxStringsFileBytes);
    if (file.status != ReadStatus::ok) continue;
    entries = parseStringsFile(file.bytes);
    if (entries) break;
  }
  ::close(directory);
  return entries;
}

std::string PosixBundleReader::displayName(const std::string& path) {
  if (const auto localized = localizedInfoDictionary(path)) {
    if (auto name = stringEntry(*localized, "CFBundleDisplayName"); name && !name->empty()) {
      return std::move(*name);
    }
  }
  std::string_view trimmed = path;
  while (trimmed.size() > 1 && trimmed.ends_with('/'))
    trimmed.remove_suffix(1);
  const std::size_t slash = trimmed.rfind('/');
  return std::string(slash == std::string_view::npos ? trimmed : trimmed.substr(slash + 1));
}

}  // namespace calyxa
