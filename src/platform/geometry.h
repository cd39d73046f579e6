#pragma once

namespace calyxa {

// Points, origin top-left, y down.
struct Point {
  double x = 0.0;
  double y = 0.0;
  bool operator==(const Point&) const = default;
};

struct Size {
  double width = 0.0;
  double height = 0.0;
  bool operator==(const Size&) const = default;
};

}  // namespace calyxa
