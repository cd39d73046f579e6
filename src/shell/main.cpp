#include "shell/calyxa_main.h"

int main(int argc, char** argv) {
  return calyxa::runLauncher(argc, argv);
}
