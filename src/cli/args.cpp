#include "cli/args.h"

#include <cerrno>
#include <cstdlib>

namespace velmora::cli {

std::optional<std::string> Args::value(const std::string& option) const {
  const auto it = values.find(option);
  if (it == values.end()) return std::nullopt;
  return it->second;
}

ParseResult ParseArgs(int argc, char** argv, int first, const KnownOptions& known) {
  ParseResult result;
  bool options_done = false;
  for (int i = first; i < argc; ++i) {
    const std::string word = argv[i];
    if (options_done || word.rfind("--", 0) != 0) {
      result.args.positionals.push_back(word);
      continue;
    }
    if (word == "--") {
      options_done = true;
      continue;
    }
    std::string name = word.substr(2);
    std::optional<std::string> inline_value;
    if (const auto eq = name.find('='); eq != std::string::npos) {
      inline_value = name.substr(eq + 1);
      name.resize(eq);
    }
    if (known.flags.count(name)) {
      if (inline_value) {
        result.error = "--" + name + " takes no value";
        return result;
      }
      result.args.flags.insert(name);
    } else if (known.with_value.count(name)) {
      if (!inline_value) {
        if (i + 1 >= argc) {
          result.error = "--" + name + " needs a value";
          return result;
        }
        inline_value = argv[++i];
      }
      result.args.values[name] = *inline_value;
      result.args.repeated[name].push_back(*inline_value);
    } else {
      result.error = "unknown option --" + name;
      return result;
    }
  }
  return result;
}

std::optional<long> ParseNumber(const std::string& text, long min, long max) {
  if (text.empty()) return std::nullopt;
  errno = 0;
  char* end = nullptr;
  // Decimal unless written 0x...: a leading zero is not octal here.
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const long value = std::strtol(text.c_str(), &end, hex ? 16 : 10);
  if (errno != 0 || *end != '\0' || value < min || value > max) return std::nullopt;
  return value;
}

}  // namespace velmora::cli
