#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace calyxa {

// `Calyxa --snapshot FILE.png [--size WxH] [--page N] [--search TEXT] [--edit]`: the overlay as
// it would open now, rendered to a picture without a display.
struct SnapshotOptions {
  std::string file;
  int width = 1440;
  int height = 900;
  int page = 0;  // 0-based; the command line counts from 1
  std::optional<std::string> search;
  bool edit = false;
};

struct SnapshotUsageError {
  std::string reason;
};

// Whether the arguments (after the program's name) ask for a snapshot at all.
bool wantsSnapshot(const std::vector<std::string>& arguments);

// Reads the arguments after the program's name.
std::variant<SnapshotOptions, SnapshotUsageError> parseSnapshotArguments(
    const std::vector<std::string>& arguments);

// Builds the store as at start-up, lays the overlay out at the size, renders it and writes FILE;
// nothing else is written. Returns the exit status: 0, 64 for a usage error, 73 when FILE cannot
// be written (with a one-line reason on stderr).
int runSnapshotCommand(int argc, char** argv);

}  // namespace calyxa
