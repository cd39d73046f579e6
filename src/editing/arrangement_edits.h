#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "catalogue/launch_item.h"

namespace calyxa {

// The first top-level slot whose id is `id`.
std::optional<std::size_t> findSlot(const std::vector<LaunchItem>& items, std::string_view id);

// The first top-level folder that holds the application `appID`.
std::optional<std::size_t> findFolderHolding(const std::vector<LaunchItem>& items,
                                             std::string_view appID);

// Whether `apps` holds the application `appID`.
bool holdsApp(const std::vector<AppItem>& apps, std::string_view appID);

// Takes the slot at `from` out and puts it back at `to`; the slots between shift by one towards
// `from`. Both indices must be valid.
void moveSlot(std::vector<LaunchItem>& items, std::size_t from, std::size_t to);

}  // namespace calyxa
