#include "editing/folder_category.h"

#include <array>

#include "catalogue/search_filter.h"

namespace calyxa {
namespace {

struct Category {
  const char* folderName;
  std::array<const char*, 3> keywords;
};

// Tried in this order: a name that fits two categories goes to the first.
constexpr std::array<Category, 3> kCategories = {{
    {"开发工具", {"code", "studio", "developer"}},
    {"社交沟通", {"chat", "信", "飞书"}},
    {"影音娱乐", {"music", "音", "player"}},
}};

constexpr const char* kFallbackName = "同类应用";

bool containsAnyKeyword(const std::string& name, const Category& category) {
  for (const char* keyword : category.keywords) {
    if (name.find(keyword) != std::string::npos) return true;
  }
  return false;
}

}  // namespace

std::string categoryFolderName(std::string_view targetName, std::string_view draggedName) {
  const std::string target = lowercased(targetName);
  const std::string dragged = lowercased(draggedName);
  for (const Category& category : kCategories) {
    if (containsAnyKeyword(target, category) || containsAnyKeyword(dragged, category)) {
      return category.folderName;
    }
  }
  return kFallbackName;
}

}  // namespace calyxa
