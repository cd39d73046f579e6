#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace calyxa::testing {

struct CtlRun {
  int status = -1;  // exit status, or 128 + signal
  std::string out;
  std::string err;
};

// The built calyxa-ctl (CMake passes its path in CALYXA_CTL); empty when unknown.
std::string calyxaCtlPath();

// Runs calyxa-ctl with `arguments` in an environment of `environment` only (PATH /usr/bin:/bin
// and XDG_DATA_DIRS naming no folder unless `environment` sets them), `input` on its standard
// input, and collects what it printed.
CtlRun runCalyxaCtl(const std::vector<std::string>& arguments,
                    const std::map<std::string, std::string>& environment,
                    std::string_view input = {});

// The same for any program.
CtlRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                  const std::map<std::string, std::string>& environment,
                  std::string_view input = {});

// One run of a program, as runProgram takes it.
struct CtlInvocation {
  std::vector<std::string> arguments;
  std::map<std::string, std::string> environment;
  std::string input;
};

// Starts every run at once and collects them all.
std::vector<CtlRun> runCalyxaCtlTogether(const std::vector<CtlInvocation>& invocations);
std::vector<CtlRun> runProgramsTogether(const std::string& program,
                                        const std::vector<CtlInvocation>& invocations);

// Lines of `text` without their line breaks.
std::vector<std::string> splitLines(const std::string& text);

}  // namespace calyxa::testing
