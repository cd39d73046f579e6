// A touchpad frame file, as calyxa-ctl touchpad replay reads it. Whatever it accepts, written
// back line by line, reads back as as many frames.
#include <cstdint>
#include <cstdlib>

#include "gestures/contact_frame_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace calyxa;
  const FrameFile file =
      parseFrameFile(std::string_view(reinterpret_cast<const char*>(data), size));
  if (file.error) return 0;
  std::string written;
  for (const RecordedFrame& frame : file.frames) {
    written += formatFrameLine(frame.timestamp, frame.records.data(),
                               static_cast<std::int32_t>(frame.records.size()));
    written += '\n';
  }
  const FrameFile again = parseFrameFile(written);
  if (again.error || again.frames.size() != file.frames.size()) std::abort();
  return 0;
}
