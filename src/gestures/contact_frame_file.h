#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/contact_record.h"

namespace calyxa {

// A text file of contact frames, one frame a line: the timestamp in seconds, the number of
// contacts, then state, x and y of each contact, separated by spaces (or tabs). Lines that
// start with '#' are comments; blank lines are skipped.
struct RecordedFrame {
  double timestamp = 0.0;
  std::vector<ContactRecord> records;
};

struct FrameFileError {
  std::size_t line = 0;  // 1-based
  std::string message;
};

struct FrameFile {
  std::vector<RecordedFrame> frames;
  // The first line that could not be read; `frames` is then empty.
  std::optional<FrameFileError> error;
};

FrameFile parseFrameFile(std::string_view text);

// One frame as a line of the file, without the line break. Numbers are written in their
// shortest form that reads back exactly.
std::string formatFrameLine(double timestamp, const void* records, std::int32_t count);

// A timestamp as the file writes it.
std::string formatTimestamp(double seconds);

}  // namespace calyxa
