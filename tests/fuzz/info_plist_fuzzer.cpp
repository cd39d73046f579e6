// An application's Info.plist: the parser limits guard, then libplist's XML and binary readers
// and our conversion. Whatever parses, written out in either format, parses again.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "platform/posix/plist_io.h"
#include "platform/posix/plist_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace calyxa;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  (void)plistWithinParserLimits(bytes);
  (void)plistDictionaryString(bytes, "CFBundleIdentifier");
  if (const auto value = parsePlist(bytes)) {
    for (const PlistFormat format : {PlistFormat::xml, PlistFormat::binary}) {
      const auto written = serializePlist(*value, format);
      if (written && !parsePlist(*written)) {
        std::fprintf(stderr, "written as %s, it does not parse again:\n%s\n",
                     format == PlistFormat::xml ? "XML" : "binary", written->c_str());
        std::abort();
      }
    }
  }
  return 0;
}
