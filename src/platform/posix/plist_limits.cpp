#include "platform/posix/plist_limits.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace calyxa {
namespace {

bool isNameStart(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || byte >= 0x80;
}

// Tags that could open an element somewhere in `text`: counted where a parser might, by other
// rules than ours, see markup (quoted attribute values, a document type declaration).
int possibleStartTags(std::string_view text) {
  int count = 0;
  for (std::size_t i = text.find('<'); i != std::string_view::npos; i = text.find('<', i + 1)) {
    if (i + 1 < text.size() && isNameStart(text[i + 1])) ++count;
  }
  return count;
}

// One past the '>' that ends the tag or declaration starting at `from`, skipping quoted text
// and, in a declaration, bracketed subsets; npos when it never ends.
std::size_t endOfMarkup(std::string_view xml, std::size_t from) {
  char quote = 0;
  int brackets = 0;
  for (std::size_t i = from; i < xml.size(); ++i) {
    const char c = xml[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '[') {
      ++brackets;
    } else if (c == ']') {
      brackets = std::max(0, brackets - 1);
    } else if (c == '>' && brackets == 0) {
      return i + 1;
    }
  }
  return std::string_view::npos;
}

// Walks the markup, calling `onStartTag(tag, end)` with the text of each start tag after its '<'
// and the position after it, and counts the nesting of elements as libplist's recursive reader
// would meet it. Only real end tags close a level, and never below the top; everything a reader
// skips (comments, CDATA, processing instructions, a document type with its subset) is skipped
// to its farthest possible end, and any tag-like text that some reader might take for a start
// tag counts as one. False as soon as the nesting is too deep.
template <class OnStartTag>
bool walkXml(std::string_view xml, OnStartTag&& onStartTag) {
  const auto find = [&](std::string_view what, std::size_t from) {
    const std::size_t at = xml.find(what, from);
    return at == std::string_view::npos ? xml.size() : at + what.size();
  };
  int depth = 0;
  std::size_t i = 0;
  while ((i = xml.find('<', i)) != std::string_view::npos) {
    const std::string_view rest = xml.substr(i);
    std::size_t next = 0;
    if (rest.starts_with("<!--")) {
      next = find("-->", i + 4);
    } else if (rest.starts_with("<![CDATA[")) {
      next = find("]]>", i + 9);
    } else if (rest.starts_with("<?")) {
      next = find("?>", i + 2);
    } else if (rest.starts_with("<!")) {
      // A document type: its subset ends at the first "]>" for a naive reader, at the matching
      // bracket for a careful one. Skip to whichever is farther.
      const std::size_t close = xml.find('>', i);
      const std::size_t bracket = xml.find('[', i);
      const std::size_t naive =
          bracket < close ? find("]>", bracket) : std::min(close, xml.size() - 1) + 1;
      next = std::max(naive, std::min(endOfMarkup(xml, i + 2), xml.size()));
      depth += possibleStartTags(xml.substr(i + 2, next - i - 2));
    } else if (rest.starts_with("</")) {
      next = std::min(xml.find('>', i), xml.size() - 1) + 1;
      depth = std::max(0, depth - 1);
    } else if (rest.size() > 1 && isNameStart(rest[1])) {
      next = std::min(endOfMarkup(xml, i + 1), xml.size());
      const std::string_view tag = xml.substr(i + 1, next - i - 1);
      depth += possibleStartTags(tag) + (tag.ends_with("/>") ? 0 : 1);
      onStartTag(tag, next);
    } else {
      next = i + 1;
    }
    if (depth > kMaxPlistElementDepth) return false;
    i = next;
  }
  return true;
}

bool xmlWithinLimits(std::string_view xml) {
  long long keys = 0;
  return walkXml(xml,
                 [&](std::string_view tag, std::size_t) {
                   keys += tag.starts_with("key>") || tag.starts_with("key ");
                 }) &&
         keys <= kMaxPlistXmlKeys;
}

std::uint64_t bigEndian(const unsigned char* p, int size) {
  std::uint64_t value = 0;
  for (int k = 0; k < size; ++k)
    value = (value << 8) | p[k];
  return value;
}

// The object table of a binary property list, as far as nesting is concerned.
class BinaryObjects {
 public:
  explicit BinaryObjects(std::string_view bytes)
      : data_(reinterpret_cast<const unsigned char*>(bytes.data())), size_(bytes.size()) {}

  // Reads the trailer; false when it is unusable (the parser will refuse the file anyway).
  bool open() {
    if (size_ < 8 + 32) return false;
    const unsigned char* trailer = data_ + size_ - 32;
    offsetSize_ = trailer[6];
    refSize_ = trailer[7];
    count_ = bigEndian(trailer + 8, 8);
    top_ = bigEndian(trailer + 16, 8);
    table_ = bigEndian(trailer + 24, 8);
    if (offsetSize_ < 1 || offsetSize_ > 8 || refSize_ < 1 || refSize_ > 8) return false;
    if (count_ == 0 || top_ >= count_ || table_ < 8 || table_ > size_ - 32) return false;
    return (size_ - 32 - table_) / offsetSize_ >= count_;
  }

  std::uint64_t count() const { return count_; }
  std::uint64_t top() const { return top_; }

  // An object's type nibble, its length (the count or the extended count that follows) and
  // where its contents begin; false when the header runs out of bounds (the type is set as
  // soon as the object's offset is in bounds).
  bool header(std::uint64_t object, int& type, std::uint64_t& length,
              std::uint64_t& position) const {
    const std::uint64_t offset = bigEndian(data_ + table_ + object * offsetSize_, offsetSize_);
    if (offset < 8 || offset >= table_) return false;
    type = data_[offset] >> 4;
    length = data_[offset] & 0xF;
    position = offset + 1;
    if (length != 0xF) return true;
    if (position >= table_ || (data_[position] >> 4) != 0x1) return false;
    const int width = 1 << (data_[position] & 0xF);
    if (width > 8 || position + 1 + width > table_) return false;
    length = bigEndian(data_ + position + 1, width);
    position += 1 + width;
    return true;
  }

  // The objects `object` refers to, a dictionary's `keys` first; false when the references run
  // out of bounds.
  bool children(std::uint64_t object, std::vector<std::uint64_t>& out, std::uint64_t& keys) const {
    out.clear();
    keys = 0;
    int type = -1;  // stays -1 when the object's offset is out of bounds
    std::uint64_t length = 0, position = 0;
    const bool whole = header(object, type, length, position);
    if (type == -1) return false;
    if (type != 0xA && type != 0xC && type != 0xD) return true;  // not a container
    if (!whole) return false;
    const std::uint64_t perEntry = (type == 0xD ? 2u : 1u) * refSize_;
    if (length > (table_ - position) / perEntry) return false;
    const std::uint64_t references = length * (type == 0xD ? 2 : 1);
    if (type == 0xD) keys = length;
    out.reserve(references);
    for (std::uint64_t k = 0; k < references; ++k) {
      const std::uint64_t child = bigEndian(data_ + position + k * refSize_, refSize_);
      if (child >= count_) return false;
      out.push_back(child);
    }
    return true;
  }

  // Whether a string holds U+0000. libplist cuts such an ASCII key short, merging distinct keys
  // and losing bytes on a rewrite, and aborts on a UTF-16 one as soon as the key is read.
  bool stringHoldsNul(std::uint64_t object) const {
    int type = 0;
    std::uint64_t length = 0, position = 0;
    if (!header(object, type, length, position)) return false;
    if (type != 0x5 && type != 0x6) return false;  // not a string: the parser refuses the key
    const std::uint64_t unit = type == 0x6 ? 2 : 1;
    const std::uint64_t end =
        length > (table_ - position) / unit ? table_ : position + length * unit;
    for (std::uint64_t at = position; at + unit <= end; at += unit) {
      if (data_[at] == 0 && (unit == 1 || data_[at + 1] == 0)) return true;
    }
    return false;
  }

 private:
  const unsigned char* data_;
  std::size_t size_;
  int offsetSize_ = 0;
  int refSize_ = 0;
  std::uint64_t count_ = 0;
  std::uint64_t top_ = 0;
  std::uint64_t table_ = 0;
};

// Walks the reference graph without recursion, measuring the depth and the size of the tree the
// parser would build; a cycle, or a dictionary key holding U+0000, is refused outright.
bool binaryWithinLimits(std::string_view bytes) {
  BinaryObjects objects(bytes);
  if (!objects.open()) return true;
  enum : std::uint8_t { unvisited, onPath, done };
  std::vector<std::uint8_t> state(objects.count(), unvisited);
  std::vector<int> height(objects.count(), 0);
  std::vector<long long> nodes(objects.count(), 0);

  struct Frame {
    std::uint64_t object;
    std::vector<std::uint64_t> children;
    std::size_t next = 0;
  };
  std::vector<Frame> path;
  const auto enter = [&](std::uint64_t object) {
    Frame frame{object, {}, 0};
    std::uint64_t keys = 0;
    if (!objects.children(object, frame.children, keys)) return false;
    for (std::uint64_t k = 0; k < keys; ++k) {
      if (objects.stringHoldsNul(frame.children[k])) return false;
    }
    state[object] = onPath;
    path.push_back(std::move(frame));
    return static_cast<int>(path.size()) <= kMaxPlistElementDepth;
  };
  if (!enter(objects.top())) return false;
  while (!path.empty()) {
    Frame& frame = path.back();
    if (frame.next < frame.children.size()) {
      const std::uint64_t child = frame.children[frame.next++];
      if (state[child] == onPath) return false;
      if (state[child] == unvisited && !enter(child)) return false;
      continue;
    }
    int deepest = 0;
    long long total = 1;
    for (const std::uint64_t child : frame.children) {
      deepest = std::max(deepest, height[child]);
      total += nodes[child];
      if (total > kMaxPlistExpandedNodes) return false;
    }
    height[frame.object] = deepest + 1;
    nodes[frame.object] = total;
    state[frame.object] = done;
    path.pop_back();
  }
  return height[objects.top()] <= kMaxPlistElementDepth;
}

}  // namespace

std::optional<std::string> xmlWithDecimalIntegers(std::string_view xml) {
  std::string fixed;
  std::size_t copied = 0;
  walkXml(xml, [&](std::string_view tag, std::size_t content) {
    if (tag != "integer>") return;
    std::size_t digits = xml.find_first_not_of(" \t\r\n", content);
    if (digits == std::string_view::npos) return;
    if (xml[digits] == '-' || xml[digits] == '+') ++digits;
    std::size_t zeros = digits;
    while (zeros + 1 < xml.size() && xml[zeros] == '0' && xml[zeros + 1] >= '0' &&
           xml[zeros + 1] <= '9')
      ++zeros;
    if (zeros == digits) return;
    fixed.append(xml.substr(copied, digits - copied));
    copied = zeros;
  });
  if (copied == 0) return std::nullopt;
  fixed.append(xml.substr(copied));
  return fixed;
}

bool plistWithinParserLimits(std::string_view bytes) {
  if (bytes.starts_with("bplist")) return binaryWithinLimits(bytes);
  return xmlWithinLimits(bytes);
}

}  // namespace calyxa
