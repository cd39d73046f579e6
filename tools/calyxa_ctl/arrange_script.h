#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The line language of `calyxa-ctl arrange`: one store operation a line.
namespace calyxa::ctl {

enum class ArrangeVerb {
  merge,
  newFolder,
  rename,
  add,
  remove,
  dissolve,
  step,
  toPage,
  closeFolder
};

struct ArrangeLine {
  ArrangeVerb verb;
  std::vector<std::string> words;  // the arguments after the verb, unquoted
  int number = 0;                  // DELTA or PAGE, for step and to-page
};

// A line that is neither blank nor a comment and could not be read.
struct ArrangeSyntaxError {
  std::string message;
};

// Splits a line into words: separated by spaces or tabs; a double-quoted part may hold spaces,
// with \" and \\ inside it standing for " and \. Nothing when a quote is left open.
std::optional<std::vector<std::string>> splitWords(std::string_view line);

// Reads one line: nothing for a blank line or a comment (first non-blank character "#").
std::optional<std::variant<ArrangeLine, ArrangeSyntaxError>> parseArrangeLine(
    std::string_view line);

}  // namespace calyxa::ctl
