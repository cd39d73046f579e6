#include "gestures/contact_frame_file.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "platform/utf8.h"

namespace calyxa {
namespace {

class Tokens {
 public:
  explicit Tokens(std::string_view line) : rest_(line) {}

  std::optional<std::string_view> next() {
    const auto start = rest_.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
      rest_ = {};
      return std::nullopt;
    }
    rest_.remove_prefix(start);
    const auto end = std::min(rest_.find_first_of(" \t"), rest_.size());
    const std::string_view token = rest_.substr(0, end);
    rest_.remove_prefix(end);
    return token;
  }

 private:
  std::string_view rest_;
};

template <class Number>
std::optional<Number> parseNumber(std::string_view token) {
  Number value{};
  const auto [end, error] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (error != std::errc() || end != token.data() + token.size()) return std::nullopt;
  return value;
}

std::string quoted(std::string_view token) {
  constexpr std::size_t kShown = 40;
  std::string text = "\"";
  text += printableText(token.substr(0, kShown));
  if (token.size() > kShown) text += "...";
  return text + "\"";
}

template <class Number>
void appendNumber(std::string& out, Number value) {
  char buffer[64];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, error == std::errc() ? end : buffer);
}

// Reads the timestamp and the number of contacts; the message of what is wrong otherwise.
std::optional<std::string> parseHeader(Tokens& tokens, double& timestampOut,
                                       std::int32_t& countOut) {
  const auto timestampToken = tokens.next();
  const auto timestamp = parseNumber<double>(*timestampToken);
  if (!timestamp || !std::isfinite(*timestamp)) {
    return "expected a timestamp in seconds, found " + quoted(*timestampToken);
  }
  const auto countToken = tokens.next();
  if (!countToken) return std::string("expected the number of contacts after the timestamp");
  const auto count = parseNumber<std::int32_t>(*countToken);
  if (!count || *count < 0) {
    return "expected the number of contacts (0 or more), found " + quoted(*countToken);
  }
  if (*count > kMaxContactsPerFrame) {
    return "a frame carries at most " + std::to_string(kMaxContactsPerFrame) +
           " contacts (the touchpad's slots), found " + std::to_string(*count);
  }
  timestampOut = *timestamp;
  countOut = *count;
  return std::nullopt;
}

// Reads one frame line; the message of what is wrong otherwise.
std::optional<std::string> parseLine(std::string_view line, RecordedFrame& frame) {
  Tokens tokens(line);
  std::int32_t count = 0;
  if (auto problem = parseHeader(tokens, frame.timestamp, count)) return problem;
  frame.records.clear();
  frame.records.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    const auto state = tokens.next();
    const auto x = tokens.next();
    const auto y = tokens.next();
    if (!state || !x || !y) {
      return "the frame announces " + std::to_string(count) + " contacts but has values for " +
             std::to_string(i) + (x ? " and a part of another" : "");
    }
    const auto stateValue = parseNumber<std::int32_t>(*state);
    if (!stateValue) return "contact " + std::to_string(i + 1) + ": bad state " + quoted(*state);
    const auto xValue = parseNumber<float>(*x);
    if (!xValue) return "contact " + std::to_string(i + 1) + ": bad x " + quoted(*x);
    const auto yValue = parseNumber<float>(*y);
    if (!yValue) return "contact " + std::to_string(i + 1) + ": bad y " + quoted(*y);
    frame.records.push_back(ContactRecord::make(*stateValue, *xValue, *yValue));
  }
  if (const auto extra = tokens.next()) {
    return "the frame announces " + std::to_string(count) + " contacts but goes on with " +
           quoted(*extra);
  }
  return std::nullopt;
}

}  // namespace

FrameFile parseFrameFile(std::string_view text) {
  FrameFile file;
  std::size_t lineNumber = 0;
  while (!text.empty()) {
    ++lineNumber;
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);

    const auto first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') continue;
    RecordedFrame frame;
    if (auto problem = parseLine(line, frame)) {
      file.frames.clear();
      file.error = FrameFileError{lineNumber, std::move(*problem)};
      return file;
    }
    file.frames.push_back(std::move(frame));
  }
  return file;
}

bool FrameFileReader::readLine() {
  line_.clear();
  tooLong_ = false;
  bool comment = false;
  bool any = false;
  for (int c = getc_unlocked(input_); c != EOF; c = getc_unlocked(input_)) {
    any = true;
    if (c == '\n') return true;
    if (comment || tooLong_) continue;
    if (line_.size() == kMaxFrameLineBytes) {
      const auto first = line_.find_first_not_of(" \t");
      comment = first != std::string::npos && line_[first] == '#';
      tooLong_ = !comment;
      continue;
    }
    line_.push_back(static_cast<char>(c));
  }
  if (std::ferror(input_)) readFailed_ = true;
  return any && !readFailed_;
}

const RecordedFrame* FrameFileReader::next() {
  if (error_ || readFailed_) return nullptr;
  while (readLine()) {
    ++lineNumber_;
    std::string_view line = line_;
    if (line.ends_with('\r')) line.remove_suffix(1);
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') continue;
    if (tooLong_) {
      // What is wrong with its start (say, a frame of too many contacts) says more.
      Tokens tokens(line);
      double timestamp = 0;
      std::int32_t count = 0;
      auto problem = parseHeader(tokens, timestamp, count);
      error_ = FrameFileError{lineNumber_, problem ? std::move(*problem)
                                                   : "a line longer than " +
                                                         std::to_string(kMaxFrameLineBytes) +
                                                         " bytes is no frame"};
      return nullptr;
    }
    if (auto problem = parseLine(line, frame_)) {
      error_ = FrameFileError{lineNumber_, std::move(*problem)};
      return nullptr;
    }
    return &frame_;
  }
  return nullptr;
}

std::string formatTimestamp(double seconds) {
  std::string text;
  appendNumber(text, seconds);
  return text;
}

std::string formatFrameLine(double timestamp, const void* records, std::int32_t count) {
  const std::int32_t contacts = records && count > 0 ? count : 0;
  std::string line = formatTimestamp(timestamp);
  line += ' ';
  appendNumber(line, contacts);
  const auto* record = static_cast<const std::byte*>(records);
  for (std::int32_t i = 0; i < contacts; ++i, record += kContactRecordSize) {
    line += ' ';
    appendNumber(line, contactState(record));
    line += ' ';
    appendNumber(line, contactX(record));
    line += ' ';
    appendNumber(line, contactY(record));
  }
  return line;
}

}  // namespace calyxa
