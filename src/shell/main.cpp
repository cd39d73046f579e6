#include <string>
#include <vector>

#include "shell/calyxa_main.h"
#include "shell/snapshot_command.h"

int main(int argc, char** argv) {
  if (calyxa::wantsSnapshot(std::vector<std::string>(argv + 1, argv + argc))) {
    return calyxa::runSnapshotCommand(argc, argv);
  }
  return calyxa::runLauncher(argc, argv);
}
