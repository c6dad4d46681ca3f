#include "platform/ui/builder.h"

#include <QDebug>
#include <QXmlStreamReader>

#include <cctype>
#include <functional>

#include "platform/ui/basic_controls.h"
#include "platform/ui/containers.h"
#include "platform/ui/list_controls.h"
#include "platform/ui/menu.h"
#include "platform/ui/paint_manager.h"
#include "platform/ui/text_controls.h"

namespace velmora::ui {
namespace {

constexpr int kMaxIncludeDepth = 16;

struct XmlNode {
  std::string tag;
  std::vector<std::pair<std::string, std::string>> attrs;
  std::vector<XmlNode> children;
  int line = 0;

  const std::string* Attr(const std::string& name) const {
    for (const auto& [key, value] : attrs)
      if (key == name) return &value;
    return nullptr;
  }
};

bool ParseXml(const std::string& text, const std::string& path, XmlNode& root, std::string& error) {
  QXmlStreamReader xml(QByteArray::fromStdString(text));
  std::vector<XmlNode*> stack;
  bool have_root = false;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      XmlNode node;
      node.tag = xml.name().toString().toStdString();
      node.line = static_cast<int>(xml.lineNumber());
      for (const auto& a : xml.attributes())
        node.attrs.emplace_back(a.name().toString().toStdString(), a.value().toString().toStdString());
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

class Builder {
 public:
  Builder(IDialogBuilderCallback* callback, CPaintManagerUI* manager)
      : callback_(callback), manager_(manager) {}

  BuildResult Build(const std::string& xml, const std::string& path) {
    BuildResult result;
    XmlNode root;
    if (!ParseXml(xml, path, root, result.error)) return result;
    std::vector<CControlUI*> made;
    if (root.tag == "Window") {
      for (const auto& [key, value] : root.attrs) result.window_attributes[key] = value;
      if (!BuildChildren(root, nullptr, {}, path, 0, made, result.error)) return Fail(made, result);
    } else if (!BuildNode(root, nullptr, {}, path, 0, made, result.error)) {
      return Fail(made, result);
    }
    if (made.empty()) {
      result.error = path + ":" + std::to_string(root.line) + ": the layout has no control";
      return result;
    }
    if (made.size() > 1) {
      result.error = path + ":" + std::to_string(root.line) + ": a layout has one root control";
      return Fail(made, result);
    }
    result.root = made.front();
    return result;
  }

 private:
  static BuildResult& Fail(std::vector<CControlUI*>& made, BuildResult& result) {
    for (CControlUI* c : made) delete c;
    return result;
  }

  bool Expand(const std::string& text, const std::map<std::string, int>& vars,
              const std::string& path, int line, std::string& out, std::string& error) {
    if (ExpandFamilyText(text, vars, out, error)) return true;
    error = path + ":" + std::to_string(line) + ": " + error;
    return false;
  }

  // Builds the children of `node`; controls go into `parent`, or into `top` when
  // there is none (the root level).
  bool BuildChildren(const XmlNode& node, CControlUI* parent, const std::map<std::string, int>& vars,
                     const std::string& path, int depth, std::vector<CControlUI*>& top,
                     std::string& error) {
    for (const XmlNode& child : node.children)
      if (!BuildNode(child, parent, vars, path, depth, top, error)) return false;
    return true;
  }

  bool BuildNode(const XmlNode& node, CControlUI* parent, const std::map<std::string, int>& vars,
                 const std::string& path, int depth, std::vector<CControlUI*>& top,
                 std::string& error) {
    const std::string where = path + ":" + std::to_string(node.line) + ": ";
    if (node.tag == "Font") {
      const std::string* id = node.Attr("id");
      const std::string* family = node.Attr("name");
      if (!id || !family) {
        error = where + "a <Font> needs an id and a name";
        return false;
      }
      auto flag = [&](const char* name) {
        const std::string* v = node.Attr(name);
        return v && ParseBool(*v);
      };
      const std::string* size = node.Attr("size");
      if (manager_)
        manager_->AddFont(std::atoi(id->c_str()), *family, size ? std::atoi(size->c_str()) : 12,
                          flag("bold"), flag("italic"), flag("shared"), flag("default"));
      return true;
    }
    if (node.tag == "Default") {
      const std::string* name = node.Attr("name");
      const std::string* value = node.Attr("value");
      if (!name || !value) {
        error = where + "a <Default> needs a name and a value";
        return false;
      }
      const std::string* is_shared = node.Attr("shared");
      if (manager_) manager_->AddDefaultAttributeList(*name, *value, is_shared && ParseBool(*is_shared));
      return true;
    }
    if (node.tag == "Repeat") {
      const std::string* var = node.Attr("var");
      const std::string* count = node.Attr("count");
      if (!var || !count || var->empty()) {
        error = where + "a <Repeat> needs a var and a count";
        return false;
      }
      std::string count_text, from_text = "0";
      if (!Expand(*count, vars, path, node.line, count_text, error)) return false;
      if (const std::string* from = node.Attr("from"))
        if (!Expand(*from, vars, path, node.line, from_text, error)) return false;
      const int n = std::atoi(count_text.c_str()), first = std::atoi(from_text.c_str());
      for (int i = first; i < first + n; ++i) {
        auto inner = vars;
        inner[*var] = i;
        if (!BuildChildren(node, parent, inner, path, depth, top, error)) return false;
      }
      return true;
    }
    if (node.tag == "Include") {
      const std::string* source = node.Attr("source");
      if (!source) {
        error = where + "an <Include> needs a source";
        return false;
      }
      if (depth >= kMaxIncludeDepth) {
        error = where + "includes nest too deep (does " + *source + " include itself?)";
        return false;
      }
      std::string file;
      if (!Expand(*source, vars, path, node.line, file, error)) return false;
      std::vector<std::uint8_t> bytes;
      std::string why;
      if (!CPaintManagerUI::LoadResource(file, bytes, why)) {
        error = where + "cannot include " + file + ": " + why;
        return false;
      }
      XmlNode included;
      if (!ParseXml(std::string(bytes.begin(), bytes.end()), file, included, error)) return false;
      return BuildChildren(included, parent, vars, file, depth + 1, top, error);
    }

    // A control.
    CControlUI* control = CreateBuiltinControl(node.tag);
    if (!control && callback_) control = callback_->CreateControl(node.tag);
    if (!control) {
      qWarning("%sunknown control <%s> left out", where.c_str(), node.tag.c_str());
      return true;
    }
    if (manager_)
      if (const std::string* defaults = manager_->GetDefaultAttributeList(node.tag))
        control->ApplyAttributeList(*defaults);
    for (const auto& [key, value] : node.attrs) {
      std::string expanded;
      if (!Expand(value, vars, path, node.line, expanded, error)) {
        delete control;
        return false;
      }
      control->SetAttribute(key, expanded);
    }
    if (!node.children.empty()) {
      if (!dynamic_cast<CContainerUI*>(control)) {
        error = where + "<" + node.tag + "> cannot hold other controls";
        delete control;
        return false;
      }
      std::vector<CControlUI*> unused;
      if (!BuildChildren(node, control, vars, path, depth, unused, error)) {
        delete control;
        return false;
      }
    }
    if (!parent) {
      top.push_back(control);
    } else if (!static_cast<CContainerUI*>(parent)->Add(control)) {
      qWarning("%s<%s> does not fit into its container; left out", where.c_str(), node.tag.c_str());
      delete control;
    }
    return true;
  }

  IDialogBuilderCallback* callback_;
  CPaintManagerUI* manager_;
};

}  // namespace

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

CControlUI* CreateBuiltinControl(const std::string& tag) {
  static const std::map<std::string, std::function<CControlUI*()>> factory = {
      {"Control", [] { return new CControlUI; }},
      {"Label", [] { return new CLabelUI; }},
      {"Text", [] { return new CLabelUI; }},
      {"Button", [] { return new CButtonUI; }},
      {"Option", [] { return new COptionUI; }},
      {"CheckBox", [] { return new CCheckBoxUI; }},
      {"Edit", [] { return new CEditUI; }},
      {"RichEdit", [] { return new CRichEditUI; }},
      {"Combo", [] { return new CComboUI; }},
      {"Progress", [] { return new CProgressUI; }},
      {"Slider", [] { return new CSliderUI; }},
      {"List", [] { return new CListUI; }},
      {"ListHeader", [] { return new CListHeaderUI; }},
      {"ListHeaderItem", [] { return new CListHeaderItemUI; }},
      {"ListLabelElement", [] { return new CListLabelElementUI; }},
      {"ListContainerElement", [] { return new CListContainerElementUI; }},
      {"TreeView", [] { return new CTreeViewUI; }},
      {"TreeNode", [] { return new CTreeNodeUI; }},
      {"Container", [] { return new CContainerUI; }},
      {"VerticalLayout", [] { return new CVerticalLayoutUI; }},
      {"HorizontalLayout", [] { return new CHorizontalLayoutUI; }},
      {"Menu", [] { return new CListUI; }},
      {"MenuElement", [] { return new CMenuElementUI; }},
      {"MenuSeparator",
       [] {
         auto* line = new CControlUI;
         line->SetFixedHeight(1);
         line->SetBkColor(0xFF363A42);
         line->SetPadding({8, 3, 8, 3});
         line->SetMouseEnabled(false);
         return line;
       }},
  };
  auto found = factory.find(tag);
  return found == factory.end() ? nullptr : found->second();
}

BuildResult CDialogBuilder::Create(const std::string& path, IDialogBuilderCallback* callback,
                                   CPaintManagerUI* manager) {
  std::vector<std::uint8_t> bytes;
  BuildResult result;
  if (!CPaintManagerUI::LoadResource(path, bytes, result.error)) {
    result.error = "cannot load the layout " + path + ": " + result.error;
    return result;
  }
  return CreateFromText(std::string(bytes.begin(), bytes.end()), path, callback, manager);
}

BuildResult CDialogBuilder::CreateFromText(const std::string& xml, const std::string& path,
                                           IDialogBuilderCallback* callback,
                                           CPaintManagerUI* manager) {
  return Builder(callback, manager).Build(xml, path);
}

}  // namespace velmora::ui
