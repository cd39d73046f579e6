// The layout file reader, both formats. Whatever it accepts, written back, reads back the same.
#include <cstdint>
#include <cstdlib>

#include "catalogue/layout_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (const auto records = calyxa::decodeCurrentLayout(bytes)) {
    const std::string written = calyxa::encodeLayoutDocument(*records);
    const auto again = calyxa::decodeCurrentLayout(written);
    if (!again || calyxa::encodeLayoutDocument(*again) != written) std::abort();
  }
  (void)calyxa::decodeLegacyLayout(bytes);
  return 0;
}
