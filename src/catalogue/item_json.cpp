#include "catalogue/item_json.h"

namespace calyxa {
namespace {

const std::string* stringField(const nlohmann::json& json, const char* key) {
  const auto found = json.find(key);
  if (found == json.end() || !found->is_string()) return nullptr;
  return found->get_ptr<const std::string*>();
}

}  // namespace

nlohmann::ordered_json encodeAppItem(const AppItem& app) {
  nlohmann::ordered_json json = nlohmann::ordered_json::object();
  json["id"] = app.id;
  json["name"] = app.name;
  json["englishName"] = app.englishName;
  json["bundleIdentifier"] = app.bundleIdentifier;
  json["path"] = app.path;
  json["isSystemApp"] = app.isSystemApp;
  return json;
}

nlohmann::ordered_json encodeLaunchFolder(const LaunchFolder& folder) {
  nlohmann::ordered_json json = nlohmann::ordered_json::object();
  json["id"] = folder.id;
  json["name"] = folder.name;
  nlohmann::ordered_json apps = nlohmann::ordered_json::array();
  for (const auto& app : folder.apps)
    apps.push_back(encodeAppItem(app));
  json["apps"] = std::move(apps);
  return json;
}

std::optional<AppItem> decodeAppItem(const nlohmann::json& json) {
  if (!json.is_object()) return std::nullopt;
  const auto* id = stringField(json, "id");
  const auto* name = stringField(json, "name");
  const auto* englishName = stringField(json, "englishName");
  const auto* bundleIdentifier = stringField(json, "bundleIdentifier");
  const auto* path = stringField(json, "path");
  const auto system = json.find("isSystemApp");
  if (!id || !name || !englishName || !bundleIdentifier || !path || system == json.end() ||
      !system->is_boolean()) {
    return std::nullopt;
  }
  return AppItem{*id, *name, *englishName, *bundleIdentifier, *path, system->get<bool>()};
}

std::optional<LaunchFolder> decodeLaunchFolder(const nlohmann::json& json) {
  if (!json.is_object()) return std::nullopt;
  const auto* id = stringField(json, "id");
  const auto* name = stringField(json, "name");
  const auto apps = json.find("apps");
  if (!id || !name || apps == json.end() || !apps->is_array()) return std::nullopt;
  std::vector<AppItem> decoded;
  decoded.reserve(apps->size());
  for (const auto& element : *apps) {
    auto app = decodeAppItem(element);
    if (!app) return std::nullopt;
    decoded.push_back(std::move(*app));
  }
  return LaunchFolder(*id, *name, std::move(decoded));
}

}  // namespace calyxa
