#include "platform/posix/plist_limits.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace calyxa {
namespace {

bool xmlWithinLimits(std::string_view xml) {
  int depth = 0;
  std::size_t i = 0;
  while ((i = xml.find('<', i)) != std::string_view::npos) {
    const std::string_view rest = xml.substr(i);
    if (rest.starts_with("<!--") || rest.starts_with("<![CDATA[")) {
      const bool comment = rest.starts_with("<!--");
      const std::size_t end = xml.find(comment ? "-->" : "]]>", i + 4);
      if (end == std::string_view::npos) return true;
      i = end + 3;
      continue;
    }
    const std::size_t close = xml.find('>', i);
    if (close == std::string_view::npos) return true;
    if (rest.starts_with("</")) {
      --depth;
    } else if (!rest.starts_with("<?") && !rest.starts_with("<!") && xml[close - 1] != '/') {
      if (++depth > kMaxPlistElementDepth) return false;
    }
    i = close + 1;
  }
  return true;
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

  // The objects `object` refers to; false when the references run out of bounds.
  bool children(std::uint64_t object, std::vector<std::uint64_t>& out) const {
    out.clear();
    const std::uint64_t offset = bigEndian(data_ + table_ + object * offsetSize_, offsetSize_);
    if (offset < 8 || offset >= table_) return false;
    const unsigned char marker = data_[offset];
    const int type = marker >> 4;
    if (type != 0xA && type != 0xC && type != 0xD) return true;  // not a container
    std::uint64_t length = marker & 0xF;
    std::uint64_t position = offset + 1;
    if (length == 0xF) {
      if (position >= table_ || (data_[position] >> 4) != 0x1) return false;
      const int width = 1 << (data_[position] & 0xF);
      if (width > 8 || position + 1 + width > table_) return false;
      length = bigEndian(data_ + position + 1, width);
      position += 1 + width;
    }
    const std::uint64_t perEntry = (type == 0xD ? 2u : 1u) * refSize_;
    if (length > (table_ - position) / perEntry) return false;
    const std::uint64_t references = length * (type == 0xD ? 2 : 1);
    out.reserve(references);
    for (std::uint64_t k = 0; k < references; ++k) {
      const std::uint64_t child = bigEndian(data_ + position + k * refSize_, refSize_);
      if (child >= count_) return false;
      out.push_back(child);
    }
    return true;
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
// parser would build; a cycle is refused outright.
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
    if (!objects.children(object, frame.children)) return false;
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

bool plistWithinParserLimits(std::string_view bytes) {
  if (bytes.starts_with("bplist")) return binaryWithinLimits(bytes);
  return xmlWithinLimits(bytes);
}

}  // namespace calyxa
