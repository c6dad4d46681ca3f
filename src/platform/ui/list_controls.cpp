#include "platform/ui/list_controls.h"

#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <algorithm>

#include "platform/ui/paint_manager.h"
#include "platform/ui/render.h"

namespace velmora::ui {
namespace {

// True while the mouse is over `control` or one of its children.
bool IsHotWithin(const CControlUI* control) {
  const CPaintManagerUI* manager = control->GetManager();
  if (!manager) return false;
  for (const CControlUI* c = manager->GetHot(); c; c = c->GetParent())
    if (c == control) return true;
  return false;
}

void PaintElementBackground(QPainter& painter, const CControlUI& element, CListUI* owner,
                            bool selected, ARGB own_color) {
  ARGB color = own_color;
  if (owner && selected) color = owner->selected_bk_color();
  else if (owner && IsHotWithin(&element)) color = owner->hot_bk_color();
  if (color) CRenderEngine::DrawColor(painter, element.GetPos(), color);
}

}  // namespace

// --- Elements --------------------------------------------------------------------

template <class Base>
void CListElementUI<Base>::SelectState(bool selected) {
  selected_ = selected;
  this->Invalidate();
}

template <class Base>
SIZE CListElementUI<Base>::EstimateSize(SIZE available) const {
  SIZE size = Base::EstimateSize(available);
  if (size.cy == 0) size.cy = owner_ ? owner_->GetItemHeight() : 24;
  return size;
}

template <class Base>
void CListElementUI<Base>::DoEvent(TEventUI& event) {
  switch (event.type) {
    case UiEvent::kButtonDown:
      return;
    case UiEvent::kDblClick:
      this->Notify("dbclick");
      return;
    case UiEvent::kButtonUp:
      if (this->GetPos().contains(event.x, event.y)) Activate();
      return;
    case UiEvent::kMouseEnter:
    case UiEvent::kMouseLeave:
      this->Invalidate();
      break;
    default:
      break;
  }
  Base::DoEvent(event);
}

template <class Base>
bool CListElementUI<Base>::Activate() {
  if (!CControlUI::Activate()) return false;
  if (owner_) owner_->SelectItem(index_, true);
  this->Notify("itemclick");
  return true;
}

template <class Base>
void CListElementUI<Base>::PaintBkColor(QPainter& painter) {
  PaintElementBackground(painter, *this, owner_, selected_, this->bk_color_);
}

template class CListElementUI<CLabelUI>;
template class CListElementUI<CHorizontalLayoutUI>;

bool CListHeaderItemUI::Activate() {
  if (!CControlUI::Activate()) return false;
  Notify("headerclick");
  return true;
}

SIZE CListHeaderUI::EstimateSize(SIZE available) const {
  SIZE size = CHorizontalLayoutUI::EstimateSize(available);
  if (size.cy == 0) size.cy = 28;
  return size;
}

// --- CListUI ---------------------------------------------------------------------

CListUI::CListUI() { EnableScrollBar(true, false); }

bool CListUI::Add(CControlUI* control) {
  return AddAt(control, GetCount());
}

bool CListUI::AddAt(CControlUI* control, int index) {
  if (auto* header = dynamic_cast<CListHeaderUI*>(control)) {
    if (header_) return false;
    header_ = header;
    index = 0;
  } else if (header_ && index == 0) {
    index = 1;  // the header stays on top
  }
  if (!CVerticalLayoutUI::AddAt(control, index)) return false;
  Reindex();
  return true;
}

bool CListUI::Remove(CControlUI* control) {
  if (control == header_) header_ = nullptr;
  IListItemUI* selected = GetListItem(cur_sel_);
  if (selected && selected->AsControl() == control) cur_sel_ = -1;
  if (!CVerticalLayoutUI::Remove(control)) return false;
  Reindex();
  return true;
}

void CListUI::RemoveAll() {
  header_ = nullptr;
  cur_sel_ = -1;
  CVerticalLayoutUI::RemoveAll();
  elements_.clear();
}

void CListUI::Reindex() {
  IListItemUI* selected = GetListItem(cur_sel_);
  elements_.clear();
  for (auto& item : items_) {
    if (auto* element = dynamic_cast<IListItemUI*>(item.get())) {
      element->SetOwner(this);
      element->SetIndex(static_cast<int>(elements_.size()));
      elements_.push_back(element);
    }
  }
  cur_sel_ = selected ? selected->GetIndex() : -1;
}

IListItemUI* CListUI::GetListItem(int index) const {
  return index >= 0 && index < GetListCount() ? elements_[index] : nullptr;
}

bool CListUI::SelectItem(int index, bool send_notify) {
  if (index == cur_sel_) return true;
  IListItemUI* next = GetListItem(index);
  if (index >= 0 && !next) return false;
  const int old = cur_sel_;
  if (IListItemUI* previous = GetListItem(old)) previous->SelectState(false);
  cur_sel_ = index;
  if (next) next->SelectState(true);
  if (send_notify) Notify("itemselect", static_cast<WPARAM>(index), old);
  return true;
}

void CListUI::SetAttribute(const std::string& name, const std::string& value) {
  if (name == "itemheight") SetItemHeight(std::atoi(value.c_str()));
  else if (name == "itemselectedbkcolor") selected_bk_color_ = ParseColor(value);
  else if (name == "itemhotbkcolor") hot_bk_color_ = ParseColor(value);
  else CVerticalLayoutUI::SetAttribute(name, value);
}

// --- CComboUI --------------------------------------------------------------------

bool CComboUI::Add(CControlUI* control) {
  if (!dynamic_cast<IListItemUI*>(control)) return false;  // only list elements
  if (!CContainerUI::Add(control)) return false;
  auto* element = dynamic_cast<IListItemUI*>(control);
  element->SetIndex(GetCount() - 1);
  return true;
}

int CComboUI::GetListCount() const { return GetCount(); }

std::string CComboUI::GetItemText(int index) const {
  CControlUI* item = GetItemAt(index);
  return item ? item->GetText() : std::string();
}

std::string CComboUI::GetText() const { return GetItemText(cur_sel_); }

bool CComboUI::SelectItem(int index, bool send_notify) {
  if (index < -1 || index >= GetCount()) return false;
  if (index == cur_sel_) return true;
  const int old = cur_sel_;
  if (auto* previous = dynamic_cast<IListItemUI*>(GetItemAt(old))) previous->SelectState(false);
  cur_sel_ = index;
  if (auto* next = dynamic_cast<IListItemUI*>(GetItemAt(index))) next->SelectState(true);
  Invalidate();
  if (send_notify) Notify("itemselect", static_cast<WPARAM>(index), old);
  return true;
}

void CComboUI::SetPos(const UiRect& rect) { CControlUI::SetPos(rect); }

CControlUI* CComboUI::FindControlAt(int x, int y) {
  return CControlUI::FindControlAt(x, y);
}

void CComboUI::DoEvent(TEventUI& event) {
  switch (event.type) {
    case UiEvent::kMouseEnter:
      hot_ = true;
      Invalidate();
      break;
    case UiEvent::kMouseLeave:
      hot_ = false;
      Invalidate();
      break;
    case UiEvent::kButtonUp:
      if (rect_.contains(event.x, event.y)) Activate();
      return;
    case UiEvent::kButtonDown:
      return;
    case UiEvent::kWheel:
      if (IsEnabled()) {
        const int next = std::clamp(cur_sel_ + (event.wheel_up ? -1 : 1), 0, GetCount() - 1);
        if (next != cur_sel_) SelectItem(next, true);
      }
      return;
    default:
      break;
  }
  CControlUI::DoEvent(event);
}

bool CComboUI::Activate() {
  if (!CControlUI::Activate() || !manager_ || !manager_->GetPaintWindow()) return false;
  // The popup is not modal: the choice arrives later through the menu's signal.
  auto* menu = new QMenu(manager_->GetPaintWindow());
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->setObjectName("combo_popup");
  menu->setFont(manager_->GetFont(font_));
  menu->setMinimumWidth(rect_.width());
  menu->setStyleSheet(
      "QMenu{background:#2A2D33;color:#E6E8EB;border:1px solid #363A42;padding:2px;}"
      "QMenu::item{padding:4px 12px;}QMenu::item:selected{background:#2F4A5E;}");
  for (int i = 0; i < GetCount(); ++i) {
    QAction* action = menu->addAction(QString::fromStdString(GetItemText(i)));
    action->setCheckable(true);
    action->setChecked(i == cur_sel_);
    QObject::connect(action, &QAction::triggered, [this, i, host = QPointer<QWidget>(
                                                            manager_->GetPaintWindow())] {
      if (host) SelectItem(i, true);
    });
  }
  menu->popup(manager_->GetPaintWindow()->mapToGlobal(QPoint(rect_.left, rect_.bottom)));
  return true;
}

void CComboUI::DoPaint(QPainter& painter, const UiRect&) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(ToQColor(hot_ ? 0xFF7DC8FA : (border_color_ ? border_color_ : 0xFF363A42)), 1));
  painter.setBrush(ToQColor(bk_color_ ? bk_color_ : 0xFF2A2D33));
  painter.drawRoundedRect(QRectF(rect_.left + 0.5, rect_.top + 0.5, rect_.width() - 1,
                                 rect_.height() - 1), 3, 3);
  // The drop-down chevron.
  const double cx = rect_.right - 12, cy = rect_.top + rect_.height() / 2.0;
  QPen chevron(ToQColor(IsEnabled() ? 0xFF9AA0A8 : 0xFF5A6068), 1.5);
  chevron.setCapStyle(Qt::RoundCap);
  painter.setPen(chevron);
  const QPointF points[3] = {{cx - 4, cy - 2}, {cx, cy + 2}, {cx + 4, cy - 2}};
  painter.drawPolyline(points, 3);
  painter.restore();
  UiRect text{rect_.left + 8, rect_.top, rect_.right - 24, rect_.bottom};
  CRenderEngine::DrawTextA(painter, manager_, text, GetText(), EffectiveTextColor(), font_,
                           DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}

// --- Tree ------------------------------------------------------------------------

bool CTreeNodeUI::Add(CControlUI* control) {
  if (auto* node = dynamic_cast<CTreeNodeUI*>(control)) return AddChildNode(node);
  return CListContainerElementUI::Add(control);
}

CTreeNodeUI* CTreeNodeUI::LastDescendant() {
  return children_.empty() ? this : children_.back()->LastDescendant();
}

bool CTreeNodeUI::AddChildNode(CTreeNodeUI* node) {
  if (!node) return false;
  CTreeNodeUI* after = LastDescendant();
  node->parent_node_ = this;
  children_.push_back(node);
  if (tree_) return tree_->InsertNode(node, after);
  pending_.emplace_back(node);
  return true;
}

bool CTreeNodeUI::RemoveChildNode(CTreeNodeUI* node) {
  auto it = std::find(children_.begin(), children_.end(), node);
  if (it == children_.end()) return false;
  if (tree_) return tree_->Remove(node);
  children_.erase(it);
  std::erase_if(pending_, [node](const auto& p) { return p.get() == node; });
  return true;
}

CTreeNodeUI* CTreeNodeUI::GetChildNode(int index) const {
  return index >= 0 && index < GetCountChild() ? children_[index] : nullptr;
}

int CTreeNodeUI::GetLevel() const {
  int level = 0;
  for (CTreeNodeUI* up = parent_node_; up; up = up->parent_node_) ++level;
  return level;
}

void CTreeNodeUI::SetTreeView(CTreeViewUI* tree) { tree_ = tree; }

void CTreeNodeUI::SetPos(const UiRect& rect) {
  const UiMargins saved = inset_;
  inset_.left += GetLevel() * (tree_ ? tree_->indent() : 16);
  CListContainerElementUI::SetPos(rect);
  inset_ = saved;
}

bool CTreeViewUI::Add(CControlUI* control) {
  auto* node = dynamic_cast<CTreeNodeUI*>(control);
  if (!node) return CListUI::Add(control);
  CControlUI* last = GetCount() > 0 ? GetItemAt(GetCount() - 1) : nullptr;
  return InsertNode(node, dynamic_cast<CTreeNodeUI*>(last));
}

bool CTreeViewUI::InsertNode(CTreeNodeUI* node, CTreeNodeUI* after) {
  const int index = after ? GetItemIndex(after) + 1 : GetCount();
  node->SetTreeView(this);
  if (!CListUI::AddAt(node, index)) return false;
  // Children the node gathered before it joined the tree follow it.
  auto pending = std::move(node->pending_);
  CTreeNodeUI* last = node;
  for (auto& child : pending) {
    CTreeNodeUI* raw = child.release();
    InsertNode(raw, last);
    last = raw->LastDescendant();
  }
  return true;
}

bool CTreeViewUI::Remove(CControlUI* control) {
  auto* node = dynamic_cast<CTreeNodeUI*>(control);
  if (!node) return CListUI::Remove(control);
  if (GetItemIndex(node) < 0) return false;
  while (!node->children_.empty()) Remove(node->children_.back());
  if (CTreeNodeUI* parent = node->parent_node_)
    std::erase(parent->children_, node);
  return CListUI::Remove(node);
}

void CTreeViewUI::SetAttribute(const std::string& name, const std::string& value) {
  if (name == "indent") indent_ = std::atoi(value.c_str());
  else CListUI::SetAttribute(name, value);
}

}  // namespace velmora::ui
