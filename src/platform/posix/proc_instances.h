#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace calyxa {

// What marks a process as another copy of the program: its bundle identifier (the enclosing
// ".app" bundle's), its name, or its executable's file name, tried in that order.
struct InstanceIdentity {
  std::string bundleIdentifier;
  std::string name;
  std::string executableName;
};

// The search for other running copies among the processes of `user` in `proc` (normally /proc).
// Only copies of the same desktop session count (the same values of the `sessionVariables` in
// their environment as in `ownEnvironment`), and a copy busy with a one-off job (its arguments
// hold one of `oneOffArguments`) is left alone. The process `self` never counts.
struct InstanceSearch {
  std::filesystem::path proc = "/proc";
  uid_t user = 0;
  pid_t self = 0;
  InstanceIdentity identity;
  std::vector<std::string> sessionVariables;
  std::map<std::string, std::string> ownEnvironment;
  std::vector<std::string> oneOffArguments;
};

std::vector<pid_t> findOtherInstances(const InstanceSearch& search);

// Asks the processes to end (SIGTERM, so that they tidy up), waits up to `grace` for them to
// go, and kills those still there.
void terminateProcesses(const std::vector<pid_t>& pids, std::chrono::milliseconds grace,
                        const std::filesystem::path& proc = "/proc");

// The named variables of this process's environment, those unset left out.
std::map<std::string, std::string> environmentValues(const std::vector<std::string>& names);

}  // namespace calyxa
