#pragma once
// Command-line parsing shared by every velmora-cli command: options that take a
// value (--port P), flags (--hex) and positional words, with one error text.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velmora::cli {

struct KnownOptions {
  std::set<std::string> with_value;  // e.g. "port", "baud"
  std::set<std::string> flags;       // e.g. "hex", "fill"
};

struct Args {
  std::map<std::string, std::string> values;               // the last one given
  std::map<std::string, std::vector<std::string>> repeated;  // every one, in order
  std::set<std::string> flags;
  std::vector<std::string> positionals;

  bool has(const std::string& flag) const { return flags.count(flag) != 0; }
  std::optional<std::string> value(const std::string& option) const;
};

struct ParseResult {
  Args args;
  std::string error;  // empty when parsing succeeded
};

// Parses argv[first..argc). "--name value" and "--name=value" are both accepted;
// "--" ends the options.
ParseResult ParseArgs(int argc, char** argv, int first, const KnownOptions& known);

// A whole number in [min, max], decimal or 0x-prefixed hexadecimal.
std::optional<long> ParseNumber(const std::string& text, long min, long max);

}  // namespace velmora::cli
