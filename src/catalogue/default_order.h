#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <unicode/uversion.h>

#include "catalogue/launch_item.h"

U_NAMESPACE_BEGIN
class Collator;
U_NAMESPACE_END

namespace calyxa {

// The locale whose collation orders names: LC_ALL, else LC_COLLATE, else LANG, without codeset or
// modifier ("zh_CN.UTF-8" gives "zh_CN"); empty, the root collation, for C, POSIX or nothing.
std::string userCollationLocale();

// Compares names as a file browser orders them: by the locale's collation, ignoring letter case
// but not accents, with runs of digits compared by their value ("Name 2" before "Name 10").
class NameCollator {
 public:
  explicit NameCollator(const std::string& locale);
  ~NameCollator();
  NameCollator(const NameCollator&) = delete;
  NameCollator& operator=(const NameCollator&) = delete;

  // Negative, zero or positive as `a` sorts before, with or after `b`.
  int compare(std::string_view a, std::string_view b) const;
  // Bytes that compare (as plain bytes) in the same order as the names do.
  std::string sortKey(std::string_view name) const;

 private:
  std::unique_ptr<icu::Collator> collator_;
};

// The default order of applications: the user's own before system applications, each group by
// name. Stable: applications whose names collate equal keep their order.
void sortInDefaultOrder(std::vector<AppItem>& apps, const NameCollator& collator);

}  // namespace calyxa
