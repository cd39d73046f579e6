#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
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

// A frame carries at most this many contacts: the kernel's multitouch slots.
inline constexpr std::int32_t kMaxContactsPerFrame = 64;
// A frame line is a few kilobytes at most; a longer line that is no comment is refused.
inline constexpr std::size_t kMaxFrameLineBytes = 64 * 1024;

// Messages quote what they found with every byte a terminal could act on escaped.
FrameFile parseFrameFile(std::string_view text);

// Reads a frame file from a stream one frame at a time, holding one line: a file of any length
// is read in the same small memory.
class FrameFileReader {
 public:
  // `input` stays the caller's.
  explicit FrameFileReader(std::FILE* input) : input_(input) {}

  // The next frame; nothing at the end of the file, or at the first line that is not a frame
  // (then `error()` names it) or that cannot be read (`readFailed()`).
  const RecordedFrame* next();
  const std::optional<FrameFileError>& error() const { return error_; }
  bool readFailed() const { return readFailed_; }

 private:
  // The next line without its break into line_; false at the end. An overlong comment is
  // skipped; an overlong frame line is kept cut short, with tooLong_ set.
  bool readLine();

  std::FILE* input_;
  std::string line_;
  bool tooLong_ = false;
  std::size_t lineNumber_ = 0;
  RecordedFrame frame_;
  std::optional<FrameFileError> error_;
  bool readFailed_ = false;
};

// One frame as a line of the file, without the line break. Numbers are written in their
// shortest form that reads back exactly.
std::string formatFrameLine(double timestamp, const void* records, std::int32_t count);

// A timestamp as the file writes it.
std::string formatTimestamp(double seconds);

}  // namespace calyxa
