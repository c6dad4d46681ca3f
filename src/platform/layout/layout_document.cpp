#include "platform/layout/layout_document.h"

#include <QXmlStreamReader>

#include <cctype>

namespace velmora::layout {
namespace {

constexpr int kMaxIncludeDepth = 16;

bool ParseXml(const std::string& text, const std::string& path, Element& root, std::string& error) {
  QXmlStreamReader xml(QByteArray::fromStdString(text));
  std::vector<Element*> stack;
  bool have_root = false;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      Element node;
      node.tag = xml.name().toString().toStdString();
      node.line = static_cast<int>(xml.lineNumber());
      node.path = path;
      for (const auto& a : xml.attributes())
        node.attributes.emplace_back(a.name().toString().toStdString(), a.value().toString().toStdString());
      if (stack.empty()) {
        root = std::move(node);
        stack.push_back(&root);
        have_root = true;
      } else {
        stack.back()->children.push_back(std::move(node));
        stack.push_back(&stack.back()->children.back());
      }
    } else if (xml.isEndElement()) {
      stack.pop_back();
    }
  }
  if (xml.hasError()) {
    error = path + ":" + std::to_string(xml.lineNumber()) + ": " + xml.errorString().toStdString();
    return false;
  }
  if (!have_root) {
    error = path + ":1: the layout is empty";
    return false;
  }
  return true;
}

// A tiny integer expression: terms of variables and numbers joined by + - *,
// with parentheses.
class Expression {
 public:
  Expression(const std::string& text, const std::map<std::string, int>& vars)
      : text_(text), vars_(vars) {}

  bool Evaluate(int& value, std::string& error) {
    if (!Sum(value)) {
      error = error_.empty() ? "bad expression {" + text_ + "}" : error_;
      return false;
    }
    Skip();
    if (pos_ != text_.size()) {
      error = "bad expression {" + text_ + "}";
      return false;
    }
    return true;
  }

 private:
  void Skip() {
    while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
  }
  bool Sum(int& value) {
    if (!Product(value)) return false;
    for (;;) {
      Skip();
      if (pos_ >= text_.size() || (text_[pos_] != '+' && text_[pos_] != '-')) return true;
      const char op = text_[pos_++];
      int rhs;
      if (!Product(rhs)) return false;
      value = op == '+' ? value + rhs : value - rhs;
    }
  }
  bool Product(int& value) {
    if (!Atom(value)) return false;
    for (;;) {
      Skip();
      if (pos_ >= text_.size() || text_[pos_] != '*') return true;
      ++pos_;
      int rhs;
      if (!Atom(rhs)) return false;
      value *= rhs;
    }
  }
  bool Atom(int& value) {
    Skip();
    if (pos_ >= text_.size()) return false;
    const char c = text_[pos_];
    if (c == '(') {
      ++pos_;
      if (!Sum(value)) return false;
      Skip();
      if (pos_ >= text_.size() || text_[pos_] != ')') return false;
      ++pos_;
      return true;
    }
    if (c == '-') {
      ++pos_;
      if (!Atom(value)) return false;
      value = -value;
      return true;
    }
    if (std::isdigit(static_cast<unsigned char>(c))) {
      value = 0;
      while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])))
        value = value * 10 + (text_[pos_++] - '0');
      return true;
    }
    if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
      const std::size_t start = pos_;
      while (pos_ < text_.size() &&
             (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_'))
        ++pos_;
      const std::string name = text_.substr(start, pos_ - start);
      auto found = vars_.find(name);
      if (found == vars_.end()) {
        error_ = "unknown variable " + name + " in {" + text_ + "}";
        return false;
      }
      value = found->second;
      return true;
    }
    return false;
  }

  const std::string& text_;
  const std::map<std::string, int>& vars_;
  std::size_t pos_ = 0;
  std::string error_;
};

// Replaces <Include> and <Repeat> by what they stand for and expands every
// attribute, appending the resulting elements to `out`.
class Expander {
 public:
  explicit Expander(const ResourceLoader& load) : load_(load) {}

  bool Children(const Element& node, const std::map<std::string, int>& vars, int depth,
                std::vector<Element>& out, std::string& error) {
    for (const Element& child : node.children)
      if (!Node(child, vars, depth, out, error)) return false;
    return true;
  }

 private:
  bool Expand(const Element& node, const std::string& text, const std::map<std::string, int>& vars,
              std::string& out, std::string& error) {
    if (ExpandFamilyText(text, vars, out, error)) return true;
    error = node.Where() + error;
    return false;
  }

  bool Node(const Element& node, const std::map<std::string, int>& vars, int depth,
            std::vector<Element>& out, std::string& error) {
    if (node.tag == "Repeat") {
      const std::string* var = node.Attribute("var");
      const std::string* count = node.Attribute("count");
      if (!var || !count || var->empty()) {
        error = node.Where() + "a <Repeat> needs a var and a count";
        return false;
      }
      std::string count_text, from_text = "0";
      if (!Expand(node, *count, vars, count_text, error)) return false;
      if (const std::string* from = node.Attribute("from"))
        if (!Expand(node, *from, vars, from_text, error)) return false;
      const int n = std::atoi(count_text.c_str()), first = std::atoi(from_text.c_str());
      for (int i = first; i < first + n; ++i) {
        auto inner = vars;
        inner[*var] = i;
        if (!Children(node, inner, depth, out, error)) return false;
      }
      return true;
    }
    if (node.tag == "Include") {
      const std::string* source = node.Attribute("source");
      if (!source) {
        error = node.Where() + "an <Include> needs a source";
        return false;
      }
      if (depth >= kMaxIncludeDepth) {
        error = node.Where() + "includes nest too deep (does " + *source + " include itself?)";
        return false;
      }
      std::string file;
      if (!Expand(node, *source, vars, file, error)) return false;
      std::string text, why;
      if (!load_ || !load_(file, text, why)) {
        error = node.Where() + "cannot include " + file + ": " + (load_ ? why : "no skin is loaded");
        return false;
      }
      Element included;
      if (!ParseXml(text, file, included, error)) return false;
      return Children(included, vars, depth + 1, out, error);
    }
    // <Font>, <Default> and controls: attributes expanded, children expanded.
    Element element;
    element.tag = node.tag;
    element.path = node.path;
    element.line = node.line;
    for (const auto& [key, value] : node.attributes) {
      std::string expanded;
      if (!Expand(node, value, vars, expanded, error)) return false;
      element.attributes.emplace_back(key, std::move(expanded));
    }
    if (!Children(node, vars, depth, element.children, error)) return false;
    out.push_back(std::move(element));
    return true;
  }

  const ResourceLoader& load_;
};

const Element* FindIn(const std::vector<Element>& elements, const std::string& name) {
  for (const Element& e : elements) {
    if (const std::string* n = e.Attribute("name"); n && *n == name) return &e;
    if (const Element* found = FindIn(e.children, name)) return found;
  }
  return nullptr;
}

}  // namespace

const std::string* Element::Attribute(const std::string& name) const {
  for (const auto& [key, value] : attributes)
    if (key == name) return &value;
  return nullptr;
}

bool ExpandFamilyText(const std::string& text, const std::map<std::string, int>& vars,
                      std::string& out, std::string& error) {
  out.clear();
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t open = text.find('{', i);
    if (open == std::string::npos) {
      out += text.substr(i);
      break;
    }
    out += text.substr(i, open - i);
    const std::size_t close = text.find('}', open);
    if (close == std::string::npos) {
      error = "unclosed { in \"" + text + "\"";
      return false;
    }
    std::string expr = text.substr(open + 1, close - open - 1);
    char letter = 0;
    if (expr.size() >= 2 && expr[expr.size() - 2] == ':' &&
        (expr.back() == 'a' || expr.back() == 'A')) {
      letter = expr.back();
      expr.resize(expr.size() - 2);
    }
    int value = 0;
    if (!Expression(expr, vars).Evaluate(value, error)) return false;
    if (letter) {
      if (value < 0 || value > 25) {
        error = "{" + expr + "} is " + std::to_string(value) + ", which has no letter";
        return false;
      }
      out += static_cast<char>(letter + value);
    } else {
      out += std::to_string(value);
    }
    i = close + 1;
  }
  return true;
}

ReadResult ReadLayoutText(const std::string& xml, const std::string& path, const ResourceLoader& load) {
  ReadResult result;
  Element root;
  if (!ParseXml(xml, path, root, result.error)) return result;
  Document& doc = result.document;
  doc.root_line = root.line;
  Expander expander(load);
  if (root.tag == "Window") {
    doc.has_window = true;
    for (const auto& [key, value] : root.attributes) doc.window_attributes[key] = value;
    expander.Children(root, {}, 0, doc.top, result.error);
  } else {
    Element holder;
    holder.children.push_back(std::move(root));
    expander.Children(holder, {}, 0, doc.top, result.error);
  }
  return result;
}

ReadResult ReadLayout(const std::string& path, const ResourceLoader& load) {
  std::string text, why;
  if (!load || !load(path, text, why)) {
    ReadResult result;
    result.error = "cannot load the layout " + path + ": " + (load ? why : "no skin is loaded");
    return result;
  }
  return ReadLayoutText(text, path, load);
}

const Element* FindByName(const Document& document, const std::string& name) {
  return FindIn(document.top, name);
}

}  // namespace velmora::layout
