#pragma once
// A skin layout read and expanded, before any control exists. <Include> is
// replaced by the children of the included file's root, <Repeat> by its children
// once per value of its variable, and every {expr} in an attribute by its value,
// so that what remains is one element per control (plus <Font> and <Default>),
// each remembering the file and line it came from.
//
// The window's builder makes its controls from this tree; the CLI reads the
// hidden configuration controls from the same tree without a window.
//
// Not shared between threads.

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace velmora::layout {

struct Element {
  std::string tag;
  std::vector<std::pair<std::string, std::string>> attributes;  // in layout order
  std::vector<Element> children;
  std::string path;  // the skin file it came from
  int line = 0;

  const std::string* Attribute(const std::string& name) const;
  // "view/MainWindow.xml:12: "
  std::string Where() const { return path + ":" + std::to_string(line) + ": "; }
};

// Reads a file of the skin by its path inside the skin; false with a reason.
using ResourceLoader = std::function<bool(const std::string& path, std::string& text, std::string& error)>;

struct Document {
  // The root's own attributes when the root is a <Window> (size, caption...).
  std::map<std::string, std::string> window_attributes;
  bool has_window = false;
  // The expanded top level: the <Window>'s children, or the single root element.
  std::vector<Element> top;
  int root_line = 1;
};

struct ReadResult {
  Document document;
  std::string error;  // "view/MainWindow.xml:12: ..."; empty on success
  explicit operator bool() const { return error.empty(); }
};

// Parses and expands `xml` (named `path` in errors); includes are read through `load`.
ReadResult ReadLayoutText(const std::string& xml, const std::string& path, const ResourceLoader& load);
ReadResult ReadLayout(const std::string& path, const ResourceLoader& load);

// Expands {expr} in `text` with the loop variables; false (with a reason) on a bad
// expression. expr: variables, integers, + - * and parentheses, with an optional
// ":a" / ":A" suffix (0 -> a / A).
bool ExpandFamilyText(const std::string& text, const std::map<std::string, int>& vars,
                      std::string& out, std::string& error);

// The first element, depth first in layout order, whose "name" is `name`.
const Element* FindByName(const Document& document, const std::string& name);

}  // namespace velmora::layout
