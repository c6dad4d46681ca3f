#pragma once
// Lists and what builds on them: list elements and headers, the combo box and the
// tree view. A list is a vertical layout of elements with an optional header row.
// Clicking an element selects it: the list sends "itemselect" (wParam the new
// index, lParam the old) and the element "itemclick"; a header item sends
// "headerclick". A combo shows its selected element's text and picks from a popup.

#include <vector>

#include "platform/ui/basic_controls.h"
#include "platform/ui/containers.h"

namespace velmora::ui {

class CListUI;

// What every list element has: its index and selected state in its owner.
class IListItemUI {
 public:
  virtual ~IListItemUI() = default;
  virtual int GetIndex() const = 0;
  virtual void SetIndex(int index) = 0;
  virtual CListUI* GetOwner() const = 0;
  virtual void SetOwner(CListUI* owner) = 0;
  virtual bool IsSelected() const = 0;
  virtual void SelectState(bool selected) = 0;
  virtual CControlUI* AsControl() = 0;
};

// The behaviour every list element shares, over the control it is drawn as:
// its place in the owner, selection, the click that selects it, the shading.
template <class Base>
class CListElementUI : public Base, public IListItemUI {
 public:
  int GetIndex() const override { return index_; }
  void SetIndex(int index) override { index_ = index; }
  CListUI* GetOwner() const override { return owner_; }
  void SetOwner(CListUI* owner) override { owner_ = owner; }
  bool IsSelected() const override { return selected_; }
  void SelectState(bool selected) override;
  CControlUI* AsControl() override { return this; }
  SIZE EstimateSize(SIZE available) const override;
  void DoEvent(TEventUI& event) override;
  bool Activate() override;

 protected:
  void PaintBkColor(QPainter& painter) override;
  int index_ = -1;
  CListUI* owner_ = nullptr;
  bool selected_ = false;
};

// A one-line element showing its text.
class CListLabelElementUI : public CListElementUI<CLabelUI> {
 public:
  std::string GetClass() const override { return "ListLabelElementUI"; }
};

// An element that holds other controls in a row.
class CListContainerElementUI : public CListElementUI<CHorizontalLayoutUI> {
 public:
  std::string GetClass() const override { return "ListContainerElementUI"; }
};

class CListHeaderItemUI : public CButtonUI {
 public:
  std::string GetClass() const override { return "ListHeaderItemUI"; }
  bool Activate() override;  // sends "headerclick"
};

class CListHeaderUI : public CHorizontalLayoutUI {
 public:
  std::string GetClass() const override { return "ListHeaderUI"; }
  SIZE EstimateSize(SIZE available) const override;
};

class CListUI : public CVerticalLayoutUI {
 public:
  CListUI();
  std::string GetClass() const override { return "ListUI"; }
  // A header added to the list becomes its header row; elements become its items.
  bool Add(CControlUI* control) override;
  bool AddAt(CControlUI* control, int index) override;
  bool Remove(CControlUI* control) override;
  void RemoveAll() override;
  CListHeaderUI* GetHeader() const { return header_; }

  int GetCurSel() const { return cur_sel_; }
  // Selects one element; notifies "itemselect" only when asked to (user input does).
  virtual bool SelectItem(int index, bool send_notify = false);
  int GetListCount() const { return static_cast<int>(elements_.size()); }
  IListItemUI* GetListItem(int index) const;
  void SetItemHeight(int height) { item_height_ = height; }
  int GetItemHeight() const { return item_height_; }
  ARGB selected_bk_color() const { return selected_bk_color_; }
  ARGB hot_bk_color() const { return hot_bk_color_; }
  void SetAttribute(const std::string& name, const std::string& value) override;

 protected:
  void Reindex();
  std::vector<IListItemUI*> elements_;  // in display order; owned as children
  CListHeaderUI* header_ = nullptr;
  int cur_sel_ = -1;
  int item_height_ = 24;
  ARGB selected_bk_color_ = 0xFF2F4A5E, hot_bk_color_ = 0xFF2A2D33;
};

// A combo box: its elements live in a hidden list; the popup shows their texts.
class CComboUI : public CContainerUI {
 public:
  std::string GetClass() const override { return "ComboUI"; }
  bool Add(CControlUI* control) override;
  int GetCurSel() const { return cur_sel_; }
  bool SelectItem(int index, bool send_notify = false);
  int GetListCount() const;
  std::string GetItemText(int index) const;
  std::string GetText() const override;
  bool IsFocusable() const override { return true; }
  void SetPos(const UiRect& rect) override;
  CControlUI* FindControlAt(int x, int y) override;
  void DoEvent(TEventUI& event) override;
  void DoPaint(QPainter& painter, const UiRect& clip) override;
  bool Activate() override;  // opens the popup

 private:
  int cur_sel_ = -1;
  bool hot_ = false;
};

class CTreeViewUI;

// A tree node: a row of child controls (its label, buttons, boxes...) and child
// nodes shown below it, indented. Child nodes are elements of the tree view in
// display order; the node remembers which are its own.
class CTreeNodeUI : public CListContainerElementUI {
 public:
  std::string GetClass() const override { return "TreeNodeUI"; }
  // A tree node added to a node becomes its child node; other controls join its row.
  bool Add(CControlUI* control) override;
  bool AddChildNode(CTreeNodeUI* node);
  // Removes and deletes a child node (with its own children).
  bool RemoveChildNode(CTreeNodeUI* node);
  int GetCountChild() const { return static_cast<int>(children_.size()); }
  CTreeNodeUI* GetChildNode(int index) const;
  CTreeNodeUI* GetParentNode() const { return parent_node_; }
  CTreeViewUI* GetTreeView() const { return tree_; }
  int GetLevel() const;
  void SetTreeView(CTreeViewUI* tree);
  void SetPos(const UiRect& rect) override;

 private:
  friend class CTreeViewUI;
  CTreeNodeUI* LastDescendant();
  std::vector<CTreeNodeUI*> children_;
  std::vector<std::unique_ptr<CTreeNodeUI>> pending_;  // children before the node joins a tree
  CTreeNodeUI* parent_node_ = nullptr;
  CTreeViewUI* tree_ = nullptr;
};

class CTreeViewUI : public CListUI {
 public:
  std::string GetClass() const override { return "TreeViewUI"; }
  bool Add(CControlUI* control) override;
  bool Remove(CControlUI* control) override;
  // Places a node in the list after its parent's last descendant.
  bool InsertNode(CTreeNodeUI* node, CTreeNodeUI* parent);
  int indent() const { return indent_; }
  void SetAttribute(const std::string& name, const std::string& value) override;

 private:
  int indent_ = 16;
};

}  // namespace velmora::ui
