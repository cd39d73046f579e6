#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace calyxa::testing {

// A JPEG 2000 picture made with OpenJPEG's encoder from straight (not premultiplied) ARGB words,
// rows top to bottom: a JP2 file, or a bare codestream. `compression` 0 is lossless, else the
// ratio aimed at (20: a twentieth of the raw size, as real icon files are).
struct Jpeg2000Options {
  bool codestream = false;
  int resolutions = 6;
  float compression = 0;
};

std::string encodeJpeg2000(int width, int height, const std::vector<std::uint32_t>& argb,
                           const Jpeg2000Options& options = {});

}  // namespace calyxa::testing
