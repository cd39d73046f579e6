#pragma once

#include <plist/plist.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace calyxa {

// Exact access to libplist's nodes, around the getters of libplist 2.2 that narrow or abort.

struct PlistDeleter {
  void operator()(plist_t node) const { plist_free(node); }
};
using PlistHandle = std::unique_ptr<void, PlistDeleter>;

// Visits an array's elements in order. Its index getter walks the list from the front each time,
// which makes an indexed loop quadratic.
template <class Visit>
void forEachElement(plist_t array, Visit&& visit) {
  plist_array_iter iterator = nullptr;
  plist_array_new_iter(array, &iterator);
  if (!iterator) return;
  for (;;) {
    plist_t item = nullptr;
    plist_array_next_item(array, iterator, &item);
    if (!item) break;
    visit(item);
  }
  std::free(iterator);
}

// Visits a dictionary's entries in order, with their keys.
template <class Visit>
void forEachEntry(plist_t dictionary, Visit&& visit) {
  plist_dict_iter iterator = nullptr;
  plist_dict_new_iter(dictionary, &iterator);
  if (!iterator) return;
  for (;;) {
    char* key = nullptr;
    plist_t item = nullptr;
    plist_dict_next_item(dictionary, iterator, &key, &item);
    if (!item) {
      std::free(key);
      break;
    }
    visit(key ? key : "", item);
    std::free(key);
  }
  std::free(iterator);
}

// The string with every byte it holds: the copying getter aborts on one with U+0000.
std::string wholeString(plist_t node);
// Whether an integer above the largest signed one is stored unsigned (else it is negative):
// libplist tells them apart only by the stored width, which its getter hides.
bool isUnsignedInteger(plist_t node, std::uint64_t value);
// A date in seconds since 2001 with its fraction: the getter narrows to 32-bit seconds.
double exactDate(plist_t node);
// Makers for what plist_new_uint and plist_new_date cannot make.
plist_t unsignedIntegerNode(std::uint64_t value);
plist_t dateNode(double secondsSinceReferenceDate);

}  // namespace calyxa
