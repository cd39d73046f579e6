#include "arrange_script.h"

#include <array>
#include <charconv>

namespace calyxa::ctl {
namespace {

struct VerbShape {
  std::string_view name;
  ArrangeVerb verb;
  std::size_t minimumWords;
  std::size_t maximumWords;
  std::string_view usage;
};

constexpr std::array<VerbShape, 9> kVerbs = {{
    {"merge", ArrangeVerb::merge, 2, 2, "merge DRAGGED TARGET"},
    {"new-folder", ArrangeVerb::newFolder, 1, 2, "new-folder APP [NAME]"},
    {"rename", ArrangeVerb::rename, 2, 2, "rename FOLDER NAME"},
    {"add", ArrangeVerb::add, 2, 2, "add FOLDER APP"},
    {"remove", ArrangeVerb::remove, 2, 2, "remove FOLDER APP"},
    {"dissolve", ArrangeVerb::dissolve, 1, 1, "dissolve FOLDER"},
    {"step", ArrangeVerb::step, 2, 2, "step ITEM DELTA"},
    {"to-page", ArrangeVerb::toPage, 2, 2, "to-page ITEM PAGE"},
    {"close-folder", ArrangeVerb::closeFolder, 0, 0, "close-folder"},
}};

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r';
}

std::optional<int> parseInteger(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

}  // namespace

std::optional<std::vector<std::string>> splitWords(std::string_view line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && isBlank(line[i]))
      ++i;
    if (i >= line.size()) return words;
    std::string word;
    while (i < line.size() && !isBlank(line[i])) {
      if (line[i] != '"') {
        word.push_back(line[i++]);
        continue;
      }
      ++i;  // opening quote
      bool closed = false;
      while (i < line.size()) {
        const char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) {
          word.push_back(line[i++]);
        } else {
          word.push_back(c);
        }
      }
      if (!closed) return std::nullopt;
    }
    words.push_back(std::move(word));
  }
}

std::optional<std::variant<ArrangeLine, ArrangeSyntaxError>> parseArrangeLine(
    std::string_view line) {
  std::size_t first = 0;
  while (first < line.size() && isBlank(line[first]))
    ++first;
  if (first == line.size() || line[first] == '#') return std::nullopt;

  auto words = splitWords(line);
  if (!words) return ArrangeSyntaxError{"unterminated quote"};
  const std::string verb = words->front();
  words->erase(words->begin());

  for (const VerbShape& shape : kVerbs) {
    if (verb != shape.name) continue;
    if (words->size() < shape.minimumWords || words->size() > shape.maximumWords) {
      return ArrangeSyntaxError{"wrong number of words; usage: " + std::string(shape.usage)};
    }
    ArrangeLine parsed{shape.verb, std::move(*words), 0};
    if (shape.verb == ArrangeVerb::step || shape.verb == ArrangeVerb::toPage) {
      const auto number = parseInteger(parsed.words[1]);
      if (!number) {
        return ArrangeSyntaxError{std::string(shape.verb == ArrangeVerb::step ? "DELTA" : "PAGE") +
                                  " \"" + parsed.words[1] + "\" is not an integer"};
      }
      parsed.number = *number;
    }
    return parsed;
  }
  return ArrangeSyntaxError{"unknown verb \"" + verb + "\""};
}

}  // namespace calyxa::ctl
