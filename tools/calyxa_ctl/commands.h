#pragma once

#include <sysexits.h>  // the statuses the commands exit with, besides 0, 1 and 2

#include <string>
#include <vector>

// One function per calyxa-ctl command; each returns the process's exit status.
namespace calyxa::ctl {

int runHelp(const std::vector<std::string>& arguments);
// catalogue [--extra-directory DIR]: scan, save, print the layout document and the catalogue.
int runCatalogue(const std::vector<std::string>& arguments);
int runTouchpad(const std::vector<std::string>& arguments);
int runGestures(const std::vector<std::string>& arguments);
// arrange [--dry-run]: store operations read from standard input, one a line.
int runArrange(const std::vector<std::string>& arguments);
// login-item status|on|off: whether the launcher starts at login, and switching it.
int runLoginItem(const std::vector<std::string>& arguments);
// launch ID: starts the catalogue's application ID as the launcher does.
int runLaunch(const std::vector<std::string>& arguments);

}  // namespace calyxa::ctl
