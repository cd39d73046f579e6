#include "support/app_bundle_tree.h"

#include <unicode/unistr.h>

#include <fstream>
#include <stdexcept>

#include "platform/system_root.h"

namespace calyxa::testing {
namespace {

void writeBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

std::string utf16StringsFile(const std::map<std::string, std::string>& entries) {
  std::string text = "/* generated */\n";
  for (const auto& [key, value] : entries)
    text += "\"" + key + "\" = \"" + value + "\";\n";
  const icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(text);
  std::string bytes = "\xFF\xFE";
  for (int32_t i = 0; i < unicode.length(); ++i) {
    const char16_t unit = unicode.charAt(i);
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  return bytes;
}

void writeAppBundle(const std::filesystem::path& root, const std::string& systemPath,
                    const BundleContents& contents) {
  const std::filesystem::path bundle = SystemRoot(root).resolve(systemPath);
  PlistDictionary info = contents.extraKeys;
  info.insert({"CFBundlePackageType", PlistValue("APPL")});
  info.insert({"CFBundleExecutable", PlistValue("main")});
  if (contents.identifier) info["CFBundleIdentifier"] = *contents.identifier;
  if (contents.bundleName) info["CFBundleName"] = *contents.bundleName;
  const auto bytes = serializePlist(PlistValue(std::move(info)), contents.format);
  if (!bytes) throw std::runtime_error("cannot serialise Info.plist");
  writeBytes(bundle / "Contents" / "Info.plist", *bytes);
  for (const auto& [language, name] : contents.localizedDisplayNames) {
    writeBytes(bundle / "Contents" / "Resources" / (language + ".lproj") / "InfoPlist.strings",
               utf16StringsFile({{"CFBundleDisplayName", name}}));
  }
}

}  // namespace calyxa::testing
