#pragma once

#include <optional>

#include <nlohmann/json.hpp>

#include "catalogue/launch_item.h"

namespace calyxa {

// One key per field, named as the field, in field order. Decoding needs every key with a value
// of the right kind; anything else is no record.
nlohmann::ordered_json encodeAppItem(const AppItem& app);
nlohmann::ordered_json encodeLaunchFolder(const LaunchFolder& folder);
std::optional<AppItem> decodeAppItem(const nlohmann::json& json);
std::optional<LaunchFolder> decodeLaunchFolder(const nlohmann::json& json);

}  // namespace calyxa
