// The line language of calyxa-ctl arrange, a script read line by line.
#include <cstdint>
#include <string_view>

#include "arrange_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view script(reinterpret_cast<const char*>(data), size);
  while (!script.empty()) {
    const std::size_t end = script.find('\n');
    const std::string_view line = script.substr(0, end);
    (void)calyxa::ctl::splitWords(line);
    (void)calyxa::ctl::parseArrangeLine(line);
    script.remove_prefix(end == std::string_view::npos ? script.size() : end + 1);
  }
  return 0;
}
