#pragma once
// Builds a control tree from one of our XML layouts.
//
// A layout is a <Window> holding <Font>, <Default> and one root control:
//
//   <Window size="1280,800" caption="0,0,0,40">
//     <Font id="0" name="Noto Sans CJK SC" size="12" default="true"/>
//     <Default name="Button" value="height=&quot;28&quot; bkcolor=&quot;#FF2A2D33&quot;"/>
//     <VerticalLayout name="main_window"> ... </VerticalLayout>
//   </Window>
//
// One element per control; its attributes are the control's properties, and an
// attribute the control does not know is kept as a custom attribute.
// <Include source="view/strip.xml"/> inserts the children of another file's root.
// <Repeat var="i" count="8"> repeats its children, replacing {expr} in every
// attribute, where expr is built from the loop variables, integers, + - * and an
// optional ":a" (0 -> a) or ":A" suffix, so that
//   <Repeat var="i" count="8"><Repeat var="j" count="8">
//     <Button name="button_in_{i:a}_out_{j+1}"/></Repeat></Repeat>
// makes the 64 matrix buttons. A tag the builder does not know goes to the
// callback's CreateControl.

#include <map>
#include <string>
#include <vector>

#include "platform/ui/control.h"

namespace velmora::ui {

class CPaintManagerUI;
class CContainerUI;

class IDialogBuilderCallback {
 public:
  virtual ~IDialogBuilderCallback() = default;
  // A control for a tag of the program's own, or nullptr.
  virtual CControlUI* CreateControl(const std::string& tag) = 0;
};

struct BuildResult {
  CControlUI* root = nullptr;  // owned by the caller (or attached to the manager)
  std::string error;           // "view/MainWindow.xml:12: unexpected end of file"
  // Window attributes of the layout: size, caption, mininfo...
  std::map<std::string, std::string> window_attributes;
  explicit operator bool() const { return root != nullptr; }
};

class CDialogBuilder {
 public:
  // Builds the layout at `path` in the skin. Fonts and defaults go to `manager`.
  BuildResult Create(const std::string& path, IDialogBuilderCallback* callback,
                     CPaintManagerUI* manager);
  // Builds from text (tests, menus made by the program); `path` names it in errors.
  BuildResult CreateFromText(const std::string& xml, const std::string& path,
                             IDialogBuilderCallback* callback, CPaintManagerUI* manager);
};

// Makes a control of a built-in class by its tag ("Button", "VerticalLayout"...).
CControlUI* CreateBuiltinControl(const std::string& tag);

// Expands {expr} in `text` with the loop variables; false (with a reason) on a bad
// expression.
bool ExpandFamilyText(const std::string& text, const std::map<std::string, int>& vars,
                      std::string& out, std::string& error);

}  // namespace velmora::ui
