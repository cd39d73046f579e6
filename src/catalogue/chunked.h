#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace calyxa {

// Consecutive runs of `size` elements, the last possibly shorter; none for an empty input.
// `size` must be positive.
template <class T>
std::vector<std::vector<T>> chunked(const std::vector<T>& elements, std::size_t size) {
  std::vector<std::vector<T>> runs;
  if (size == 0) return runs;
  runs.reserve((elements.size() + size - 1) / size);
  for (std::size_t start = 0; start < elements.size(); start += size) {
    const std::size_t end = std::min(start + size, elements.size());
    runs.emplace_back(elements.begin() + static_cast<std::ptrdiff_t>(start),
                      elements.begin() + static_cast<std::ptrdiff_t>(end));
  }
  return runs;
}

}  // namespace calyxa
