#include "platform/ui/builder.h"

#include <QDebug>

#include <cctype>
#include <functional>

#include "platform/layout/layout_document.h"
#include "platform/ui/basic_controls.h"
#include "platform/ui/containers.h"
#include "platform/ui/list_controls.h"
#include "platform/ui/menu.h"
#include "platform/ui/paint_manager.h"
#include "platform/ui/text_controls.h"

namespace velmora::ui {
namespace {

class Builder {
 public:
  Builder(IDialogBuilderCallback* callback, CPaintManagerUI* manager)
      : callback_(callback), manager_(manager) {}

  BuildResult Build(const std::string& xml, const std::string& path) {
    BuildResult result;
    auto read = layout::ReadLayoutText(xml, path, LoadText);
    if (!read) {
      result.error = read.error;
      return result;
    }
    const layout::Document& doc = read.document;
    result.window_attributes = doc.window_attributes;
    std::vector<CControlUI*> made;
    if (!BuildChildren(doc.top, nullptr, made, result.error)) return Fail(made, result);
    if (made.empty()) {
      result.error = path + ":" + std::to_string(doc.root_line) + ": the layout has no control";
      return result;
    }
    if (made.size() > 1) {
      result.error = path + ":" + std::to_string(doc.root_line) + ": a layout has one root control";
      return Fail(made, result);
    }
    result.root = made.front();
    return result;
  }

 private:
  static bool LoadText(const std::string& path, std::string& text, std::string& error) {
    std::vector<std::uint8_t> bytes;
    if (!CPaintManagerUI::LoadResource(path, bytes, error)) return false;
    text.assign(bytes.begin(), bytes.end());
    return true;
  }

  static BuildResult& Fail(std::vector<CControlUI*>& made, BuildResult& result) {
    for (CControlUI* c : made) delete c;
    return result;
  }

  // Builds `elements`; controls go into `parent`, or into `top` when there is
  // none (the root level).
  bool BuildChildren(const std::vector<layout::Element>& elements, CControlUI* parent,
                     std::vector<CControlUI*>& top, std::string& error) {
    for (const layout::Element& child : elements)
      if (!BuildNode(child, parent, top, error)) return false;
    return true;
  }

  bool BuildNode(const layout::Element& node, CControlUI* parent, std::vector<CControlUI*>& top,
                 std::string& error) {
    const std::string where = node.Where();
    if (node.tag == "Font") {
      const std::string* id = node.Attribute("id");
      const std::string* family = node.Attribute("name");
      if (!id || !family) {
        error = where + "a <Font> needs an id and a name";
        return false;
      }
      auto flag = [&](const char* name) {
        const std::string* v = node.Attribute(name);
        return v && ParseBool(*v);
      };
      const std::string* size = node.Attribute("size");
      if (manager_)
        manager_->AddFont(std::atoi(id->c_str()), *family, size ? std::atoi(size->c_str()) : 12,
                          flag("bold"), flag("italic"), flag("shared"), flag("default"));
      return true;
    }
    if (node.tag == "Default") {
      const std::string* name = node.Attribute("name");
      const std::string* value = node.Attribute("value");
      if (!name || !value) {
        error = where + "a <Default> needs a name and a value";
        return false;
      }
      const std::string* is_shared = node.Attribute("shared");
      if (manager_) manager_->AddDefaultAttributeList(*name, *value, is_shared && ParseBool(*is_shared));
      return true;
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
    for (const auto& [key, value] : node.attributes) control->SetAttribute(key, value);
    if (!node.children.empty()) {
      if (!dynamic_cast<CContainerUI*>(control)) {
        error = where + "<" + node.tag + "> cannot hold other controls";
        delete control;
        return false;
      }
      std::vector<CControlUI*> unused;
      if (!BuildChildren(node.children, control, unused, error)) {
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
  return layout::ExpandFamilyText(text, vars, out, error);
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
