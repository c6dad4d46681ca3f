#pragma once
// Popup menus built from menu layouts:
//
//   <Menu width="220">
//     <MenuElement name="menu_item_file_save_to_pc" text="Save to PC"/>
//     <MenuSeparator/>
//   </Menu>
//
// Clicking an element sends "itemclick" (sender: the element) to the window that
// opened the menu, then closes the menu. Clicking elsewhere closes it.

#include <string>

#include "platform/ui/list_controls.h"
#include "platform/ui/window.h"

namespace velmora::ui {

class CMenuWnd : public WindowImplBase {
 public:
  CMenuWnd() = default;
  // Builds the menu from `layout` and shows it with its top-left corner at `point`
  // (global screen coordinates) on top of `owner`. The menu deletes itself when it
  // closes, so create it with new.
  void Init(WindowImplBase* owner, const std::string& layout, QPoint point);

  std::string GetWindowClassName() const override { return "MenuWnd"; }
  std::string GetSkinFile() const override { return layout_; }
  void Notify(TNotifyUI& msg) override;
  void OnFinalMessage(HWND) override;

 private:
  QPointer<QWidget> owner_host_;
  WindowImplBase* owner_ = nullptr;
  std::string layout_;
};

class CMenuElementUI : public CListLabelElementUI {
 public:
  std::string GetClass() const override { return "MenuElementUI"; }
  bool Activate() override;
};

}  // namespace velmora::ui
