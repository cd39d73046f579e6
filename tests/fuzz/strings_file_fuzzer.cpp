// A bundle's InfoPlist.strings: text in UTF-16 or UTF-8, or a property list.
#include <cstdint>

#include "platform/posix/strings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  (void)calyxa::parseStringsFile(bytes);
  return 0;
}
