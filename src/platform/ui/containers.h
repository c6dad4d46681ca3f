#pragma once
// Controls that hold controls: the vertical and horizontal layouts. Children flow
// one after another with the layout's child padding between them, inside its inset;
// a child with a fixed size keeps it, the others share what is left. A layout may
// scroll its contents and show a scroll bar along either axis.

#include <memory>
#include <vector>

#include "platform/ui/control.h"

namespace velmora::ui {

class CContainerUI;

// A thin scroll bar drawn and dragged by its layout.
class CScrollBarUI : public CControlUI {
 public:
  CScrollBarUI(CContainerUI* owner, bool horizontal);
  std::string GetClass() const override { return "ScrollBarUI"; }
  bool IsHorizontal() const { return horizontal_; }
  int GetScrollRange() const { return range_; }
  void SetScrollRange(int range);
  int GetScrollPos() const { return pos_; }
  void SetScrollPos(int pos);
  void DoEvent(TEventUI& event) override;
  void DoPaint(QPainter& painter, const UiRect& clip) override;

 private:
  UiRect ThumbRect() const;
  CContainerUI* owner_;
  bool horizontal_;
  int range_ = 0, pos_ = 0;
  int drag_from_ = -1, drag_pos_ = 0;
  bool hot_ = false;
};

class CContainerUI : public CControlUI {
 public:
  CContainerUI();
  ~CContainerUI() override;
  std::string GetClass() const override { return "ContainerUI"; }

  // Children are owned by the container.
  virtual bool Add(CControlUI* control);
  virtual bool AddAt(CControlUI* control, int index);
  // Removes and deletes the child.
  virtual bool Remove(CControlUI* control);
  virtual void RemoveAll();
  int GetCount() const { return static_cast<int>(items_.size()); }
  CControlUI* GetItemAt(int index) const;
  int GetItemIndex(CControlUI* control) const;

  const UiMargins& GetInset() const { return inset_; }
  void SetInset(UiMargins inset);
  int GetChildPadding() const { return child_padding_; }
  void SetChildPadding(int padding);

  // Scrolling: the position is clamped to the range (contents minus the view).
  SIZE GetScrollPos() const;
  SIZE GetScrollRange() const;
  void SetScrollPos(SIZE pos);
  void EnableScrollBar(bool vertical, bool horizontal);
  CScrollBarUI* GetVerticalScrollBar() const { return vscroll_.get(); }
  CScrollBarUI* GetHorizontalScrollBar() const { return hscroll_.get(); }

  void SetAttribute(const std::string& name, const std::string& value) override;
  void SetManager(CPaintManagerUI* manager, CContainerUI* parent) override;
  void SetInternVisible(bool visible) override;
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  void SetPos(const UiRect& rect) override;
  CControlUI* FindControlAt(int x, int y) override;
  void ForEach(const std::function<void(CControlUI*)>& visit) override;
  void DoEvent(TEventUI& event) override;
  void DoPaint(QPainter& painter, const UiRect& clip) override;

  // The area children are laid out in (the rectangle minus inset and scroll bars).
  UiRect ClientRect() const;
  // The part of the window where this container's children can be seen.
  UiRect VisibleClip() const;

 protected:
  // Lays the flowing children out along one axis; `vertical` picks the axis.
  void LayoutChildren(bool vertical);
  void LayoutFloating();
  // Sets the scroll bars from the size of the contents; returns true if it changed
  // the client area (a bar appeared or went), so the layout must run again.
  bool UpdateScrollBars(int content_width, int content_height);

  std::vector<std::unique_ptr<CControlUI>> items_;
  UiMargins inset_;
  int child_padding_ = 0;
  std::unique_ptr<CScrollBarUI> vscroll_, hscroll_;
};

class CVerticalLayoutUI : public CContainerUI {
 public:
  std::string GetClass() const override { return "VerticalLayoutUI"; }
  void SetPos(const UiRect& rect) override;
};

class CHorizontalLayoutUI : public CContainerUI {
 public:
  std::string GetClass() const override { return "HorizontalLayoutUI"; }
  void SetPos(const UiRect& rect) override;
};

}  // namespace velmora::ui
