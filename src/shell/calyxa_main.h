#pragma once

namespace calyxa {

// The launcher: argument check, display check, remote commands, then the application's start-up
// and event loop. Returns the process's exit status: 0 after an orderly end, 2 without a
// display, 64 for arguments it does not know.
int runLauncher(int argc, char** argv);

}  // namespace calyxa
