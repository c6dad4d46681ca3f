#pragma once
// An INI text held in memory, edited line by line so that a rewrite keeps every
// line it did not have to touch: comments, blank lines, unknown keys, keys
// before the first section, the order of everything and each line's ending.
//
// Rules (those of the Windows private-profile functions the files come from):
// - section and key names compare without regard to ASCII case;
// - names and values are trimmed of surrounding blanks;
// - the first of duplicate sections (and of duplicate keys) is the one read
//   and written;
// - lines starting with ';' or '#' are comments; a line without '=' carries no key.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::profile {

class ProfileDocument {
 public:
  // A new, empty document; lines added to it end in CRLF.
  ProfileDocument() = default;

  // Any text parses; what is not a header or a key line is kept as it is.
  static ProfileDocument Parse(std::string_view text);

  // The trimmed value of the key, or nothing when the section or key is missing.
  std::optional<std::string> Get(std::string_view section, std::string_view key) const;

  // Replaces the value in place, or appends the key at the end of its section,
  // or appends the section at the end of the document. Returns false (and
  // changes nothing) when a name or the value could not be stored on one line:
  // a line break anywhere, '=' in the key, ']' in the section, an empty key.
  bool Set(std::string_view section, std::string_view key, std::string_view value);

  bool HasSection(std::string_view section) const;
  std::vector<std::string> SectionNames() const;

  std::string Serialize() const;

  // "\r\n" or "\n": the ending of the first line that has one; CRLF when none has.
  std::string_view LineEnding() const { return eol_; }

 private:
  struct Line {
    std::string text;             // without its ending
    std::string_view eol;         // "\r\n", "\n" or "" (last line without a newline)
    std::string key_folded;       // lower-cased key, empty when the line has none
    std::size_t value_begin = 0;  // offset just after '=' in text
  };
  struct Section {
    std::string name_folded;
    Line header;
    std::vector<Line> lines;
  };

  static Line MakeLine(std::string text, std::string_view eol);
  const Section* FindSection(std::string_view folded) const;
  Section* FindSection(std::string_view folded);
  // Gives the document's last line an ending, so that something can follow it.
  void TerminateLastLine();

  std::string bom_;             // a UTF-8 byte-order mark, kept as found
  std::vector<Line> preamble_;  // lines before the first section header
  std::vector<Section> sections_;
  std::string_view eol_ = "\r\n";
};

// ASCII lower case, for comparing names.
std::string FoldCase(std::string_view text);
std::string_view TrimBlanks(std::string_view text);

}  // namespace velmora::profile
