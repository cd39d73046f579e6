#include <cstdio>
#include <string>
#include <vector>

#include "shell/snapshot_command.h"

int main(int argc, char** argv) {
  if (calyxa::wantsSnapshot(std::vector<std::string>(argv + 1, argv + argc))) {
    return calyxa::runSnapshotCommand(argc, argv);
  }
  std::fputs("Calyxa: the overlay window is not built yet; Calyxa --snapshot FILE.png renders it\n",
             stderr);
  return 2;
}
