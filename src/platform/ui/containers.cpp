#include "platform/ui/containers.h"

#include <algorithm>

#include "platform/ui/paint_manager.h"
#include "platform/ui/render.h"

namespace velmora::ui {
namespace {

constexpr int kScrollBarSize = 8;
constexpr int kWheelStep = 48;

UiRect Intersect(const UiRect& a, const UiRect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

}  // namespace

// --- CScrollBarUI ----------------------------------------------------------------

CScrollBarUI::CScrollBarUI(CContainerUI* owner, bool horizontal)
    : owner_(owner), horizontal_(horizontal) {
  visible_ = false;
}

void CScrollBarUI::SetScrollRange(int range) { range_ = std::max(0, range); SetScrollPos(pos_); }

void CScrollBarUI::SetScrollPos(int pos) {
  pos = std::clamp(pos, 0, range_);
  if (pos == pos_) return;
  pos_ = pos;
  Invalidate();
}

UiRect CScrollBarUI::ThumbRect() const {
  const int length = horizontal_ ? rect_.width() : rect_.height();
  const int view = length;
  const int thumb = std::max(24, range_ > 0 ? length * view / (view + range_) : length);
  const int travel = length - thumb;
  const int offset = range_ > 0 ? travel * pos_ / range_ : 0;
  if (horizontal_) return {rect_.left + offset, rect_.top, rect_.left + offset + thumb, rect_.bottom};
  return {rect_.left, rect_.top + offset, rect_.right, rect_.top + offset + thumb};
}

void CScrollBarUI::DoEvent(TEventUI& event) {
  const int along = horizontal_ ? event.x : event.y;
  switch (event.type) {
    case UiEvent::kButtonDown: {
      UiRect thumb = ThumbRect();
      if (!thumb.contains(event.x, event.y)) {
        // A click in the track pages towards it.
        const int page = horizontal_ ? rect_.width() : rect_.height();
        const int before = horizontal_ ? thumb.left : thumb.top;
        SIZE pos = owner_->GetScrollPos();
        int& axis = horizontal_ ? pos.cx : pos.cy;
        axis += along < before ? -page : page;
        owner_->SetScrollPos(pos);
      }
      drag_from_ = along;
      drag_pos_ = pos_;
      break;
    }
    case UiEvent::kMouseMove:
      if (drag_from_ >= 0 && range_ > 0) {
        UiRect thumb = ThumbRect();
        const int travel = (horizontal_ ? rect_.width() - thumb.width()
                                        : rect_.height() - thumb.height());
        if (travel > 0) {
          SIZE pos = owner_->GetScrollPos();
          (horizontal_ ? pos.cx : pos.cy) = drag_pos_ + (along - drag_from_) * range_ / travel;
          owner_->SetScrollPos(pos);
        }
      }
      break;
    case UiEvent::kButtonUp:
      drag_from_ = -1;
      break;
    case UiEvent::kMouseEnter:
      hot_ = true;
      Invalidate();
      break;
    case UiEvent::kMouseLeave:
      hot_ = false;
      Invalidate();
      break;
    case UiEvent::kWheel:
      owner_->DoEvent(event);
      break;
    default:
      break;
  }
}

void CScrollBarUI::DoPaint(QPainter& painter, const UiRect&) {
  CRenderEngine::DrawColor(painter, rect_, 0xFF1B1D21);
  UiRect thumb = ThumbRect();
  thumb = {thumb.left + 2, thumb.top + 2, thumb.right - 2, thumb.bottom - 2};
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(ToQColor(hot_ || drag_from_ >= 0 ? 0xFF5A6068 : 0xFF41454D));
  painter.drawRoundedRect(QRectF(thumb.left, thumb.top, thumb.width(), thumb.height()), 2, 2);
  painter.restore();
}

// --- CContainerUI ----------------------------------------------------------------

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
  // Children go first, while this container is still whole.
  items_.clear();
}

bool CContainerUI::Add(CControlUI* control) { return AddAt(control, GetCount()); }

bool CContainerUI::AddAt(CControlUI* control, int index) {
  if (!control || index < 0 || index > GetCount()) return false;
  items_.insert(items_.begin() + index, std::unique_ptr<CControlUI>(control));
  control->SetManager(manager_, this);
  control->SetInternVisible(IsVisible());
  NeedUpdate();
  return true;
}

bool CContainerUI::Remove(CControlUI* control) {
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if (it->get() == control) {
      items_.erase(it);
      NeedUpdate();
      return true;
    }
  }
  return false;
}

void CContainerUI::RemoveAll() {
  items_.clear();
  NeedUpdate();
}

CControlUI* CContainerUI::GetItemAt(int index) const {
  return index >= 0 && index < GetCount() ? items_[index].get() : nullptr;
}

int CContainerUI::GetItemIndex(CControlUI* control) const {
  for (int i = 0; i < GetCount(); ++i)
    if (items_[i].get() == control) return i;
  return -1;
}

void CContainerUI::SetInset(UiMargins inset) { inset_ = inset; NeedUpdate(); }
void CContainerUI::SetChildPadding(int padding) { child_padding_ = padding; NeedUpdate(); }

SIZE CContainerUI::GetScrollPos() const {
  return {hscroll_ ? hscroll_->GetScrollPos() : 0, vscroll_ ? vscroll_->GetScrollPos() : 0};
}

SIZE CContainerUI::GetScrollRange() const {
  return {hscroll_ ? hscroll_->GetScrollRange() : 0, vscroll_ ? vscroll_->GetScrollRange() : 0};
}

void CContainerUI::SetScrollPos(SIZE pos) {
  const SIZE before = GetScrollPos();
  if (hscroll_) hscroll_->SetScrollPos(pos.cx);
  if (vscroll_) vscroll_->SetScrollPos(pos.cy);
  const SIZE after = GetScrollPos();
  if (after.cx != before.cx || after.cy != before.cy) SetPos(rect_);
}

void CContainerUI::EnableScrollBar(bool vertical, bool horizontal) {
  if (vertical && !vscroll_) vscroll_ = std::make_unique<CScrollBarUI>(this, false);
  if (!vertical) vscroll_.reset();
  if (horizontal && !hscroll_) hscroll_ = std::make_unique<CScrollBarUI>(this, true);
  if (!horizontal) hscroll_.reset();
  for (auto* bar : {vscroll_.get(), hscroll_.get()})
    if (bar) bar->SetManager(manager_, this);
  NeedUpdate();
}

void CContainerUI::SetAttribute(const std::string& name, const std::string& value) {
  if (name == "inset") SetInset(ParseMargins(value));
  else if (name == "childpadding") SetChildPadding(std::atoi(value.c_str()));
  else if (name == "vscrollbar") EnableScrollBar(ParseBool(value), hscroll_ != nullptr);
  else if (name == "hscrollbar") EnableScrollBar(vscroll_ != nullptr, ParseBool(value));
  else CControlUI::SetAttribute(name, value);
}

void CContainerUI::SetManager(CPaintManagerUI* manager, CContainerUI* parent) {
  CControlUI::SetManager(manager, parent);
  for (auto& item : items_) item->SetManager(manager, this);
  for (auto* bar : {vscroll_.get(), hscroll_.get()})
    if (bar) bar->SetManager(manager, this);
}

void CContainerUI::SetInternVisible(bool visible) {
  CControlUI::SetInternVisible(visible);
  for (auto& item : items_) item->SetInternVisible(IsVisible());
}

void CContainerUI::SetVisible(bool visible) {
  CControlUI::SetVisible(visible);
  for (auto& item : items_) item->SetInternVisible(IsVisible());
}

void CContainerUI::SetEnabled(bool enabled) {
  CControlUI::SetEnabled(enabled);
  for (auto& item : items_) item->SetEnabled(enabled);
}

UiRect CContainerUI::ClientRect() const {
  UiRect client{rect_.left + inset_.left, rect_.top + inset_.top, rect_.right - inset_.right,
                rect_.bottom - inset_.bottom};
  if (vscroll_ && vscroll_->IsOwnVisible()) client.right -= kScrollBarSize;
  if (hscroll_ && hscroll_->IsOwnVisible()) client.bottom -= kScrollBarSize;
  return client;
}

UiRect CContainerUI::VisibleClip() const {
  UiRect clip = ClientRect();
  for (CContainerUI* up = parent_; up; up = up->GetParent()) clip = Intersect(clip, up->ClientRect());
  return clip;
}

void CContainerUI::SetPos(const UiRect& rect) {
  CControlUI::SetPos(rect);
  // A plain container stacks its children on top of each other, filling it.
  const UiRect client = ClientRect();
  for (auto& item : items_) {
    if (!item->IsVisible()) continue;
    if (item->IsFloat()) continue;
    const UiMargins& p = item->GetPadding();
    item->SetPos({client.left + p.left, client.top + p.top, client.right - p.right,
                  client.bottom - p.bottom});
  }
  LayoutFloating();
}

void CContainerUI::LayoutFloating() {
  const UiRect client = ClientRect();
  const SIZE scroll = GetScrollPos();
  for (auto& item : items_) {
    if (!item->IsVisible() || !item->IsFloat()) continue;
    const UiRect& pos = item->GetFloatPos();
    const int w = item->GetFixedWidth() ? item->GetFixedWidth() : pos.width();
    const int h = item->GetFixedHeight() ? item->GetFixedHeight() : pos.height();
    const int left = client.left + pos.left - scroll.cx;
    const int top = client.top + pos.top - scroll.cy;
    item->SetPos({left, top, left + w, top + h});
  }
}

bool CContainerUI::UpdateScrollBars(int content_width, int content_height) {
  bool changed = false;
  auto update = [&](CScrollBarUI* bar, int content, int view) {
    if (!bar) return;
    const bool needed = content > view;
    if (needed != bar->IsOwnVisible()) {
      bar->SetVisible(needed);
      changed = true;
    }
    bar->SetScrollRange(needed ? content - view : 0);
  };
  UiRect inner{rect_.left + inset_.left, rect_.top + inset_.top, rect_.right - inset_.right,
               rect_.bottom - inset_.bottom};
  update(vscroll_.get(), content_height,
         inner.height() - (hscroll_ && hscroll_->IsOwnVisible() ? kScrollBarSize : 0));
  update(hscroll_.get(), content_width,
         inner.width() - (vscroll_ && vscroll_->IsOwnVisible() ? kScrollBarSize : 0));
  if (vscroll_ && vscroll_->IsOwnVisible())
    vscroll_->SetPos({inner.right - kScrollBarSize, inner.top, inner.right,
                      inner.bottom - (hscroll_ && hscroll_->IsOwnVisible() ? kScrollBarSize : 0)});
  if (hscroll_ && hscroll_->IsOwnVisible())
    hscroll_->SetPos({inner.left, inner.bottom - kScrollBarSize,
                      inner.right - (vscroll_ && vscroll_->IsOwnVisible() ? kScrollBarSize : 0),
                      inner.bottom});
  return changed;
}

void CContainerUI::LayoutChildren(bool vertical) {
  // Twice at most: showing a scroll bar narrows the client area once.
  for (int pass = 0; pass < 2; ++pass) {
    const UiRect client = ClientRect();
    const int main_size = vertical ? client.height() : client.width();
    const int cross_size = vertical ? client.width() : client.height();

    // Sizes along the main axis: fixed ones first, the rest share what is left.
    std::vector<CControlUI*> flowing;
    for (auto& item : items_)
      if (item->IsVisible() && !item->IsFloat()) flowing.push_back(item.get());
    std::vector<int> sizes(flowing.size(), 0);
    int fixed_total = 0, stretch_count = 0;
    for (std::size_t i = 0; i < flowing.size(); ++i) {
      const UiMargins& p = flowing[i]->GetPadding();
      const SIZE want = flowing[i]->EstimateSize({client.width(), client.height()});
      const int size = vertical ? want.cy : want.cx;
      fixed_total += vertical ? p.top + p.bottom : p.left + p.right;
      if (i > 0) fixed_total += child_padding_;
      if (size > 0) {
        sizes[i] = size;
        fixed_total += size;
      } else {
        ++stretch_count;
      }
    }
    const int left_over = std::max(0, main_size - fixed_total);
    int stretch_left = left_over, stretch_seen = 0;
    for (std::size_t i = 0; i < flowing.size(); ++i) {
      if (sizes[i] > 0) continue;
      ++stretch_seen;
      int share = stretch_seen == stretch_count ? stretch_left : left_over / stretch_count;
      const int lo = vertical ? flowing[i]->GetMinHeight() : flowing[i]->GetMinWidth();
      const int hi = vertical ? flowing[i]->GetMaxHeight() : flowing[i]->GetMaxWidth();
      share = std::clamp(share, lo, std::max(lo, hi));
      sizes[i] = share;
      stretch_left -= share;
    }

    int content = 0;
    for (std::size_t i = 0; i < flowing.size(); ++i) {
      const UiMargins& p = flowing[i]->GetPadding();
      content += sizes[i] + (vertical ? p.top + p.bottom : p.left + p.right);
      if (i > 0) content += child_padding_;
    }
    int content_cross = cross_size;
    for (CControlUI* c : flowing) {
      const SIZE want = c->EstimateSize({client.width(), client.height()});
      const UiMargins& p = c->GetPadding();
      const int cross = (vertical ? want.cx + p.left + p.right : want.cy + p.top + p.bottom);
      content_cross = std::max(content_cross, cross);
    }
    if (pass == 0 && UpdateScrollBars(vertical ? content_cross : content,
                                      vertical ? content : content_cross))
      continue;

    const SIZE scroll = GetScrollPos();
    int cursor = (vertical ? client.top - scroll.cy : client.left - scroll.cx);
    for (std::size_t i = 0; i < flowing.size(); ++i) {
      CControlUI* c = flowing[i];
      const UiMargins& p = c->GetPadding();
      const SIZE want = c->EstimateSize({client.width(), client.height()});
      if (vertical) {
        cursor += p.top;
        int width = want.cx > 0 ? want.cx : client.width() - p.left - p.right;
        width = std::clamp(width, c->GetMinWidth(), std::max(c->GetMinWidth(), c->GetMaxWidth()));
        const int left = client.left + p.left - scroll.cx;
        c->SetPos({left, cursor, left + width, cursor + sizes[i]});
        cursor += sizes[i] + p.bottom + child_padding_;
      } else {
        cursor += p.left;
        int height = want.cy > 0 ? want.cy : client.height() - p.top - p.bottom;
        height = std::clamp(height, c->GetMinHeight(), std::max(c->GetMinHeight(), c->GetMaxHeight()));
        const int top = client.top + p.top - scroll.cy;
        c->SetPos({cursor, top, cursor + sizes[i], top + height});
        cursor += sizes[i] + p.right + child_padding_;
      }
    }
    break;
  }
  LayoutFloating();
}

CControlUI* CContainerUI::FindControlAt(int x, int y) {
  if (!IsVisible() || !rect_.contains(x, y)) return nullptr;
  for (auto* bar : {vscroll_.get(), hscroll_.get()})
    if (bar && bar->IsOwnVisible() && bar->GetPos().contains(x, y)) return bar;
  if (ClientRect().contains(x, y)) {
    // Later children paint on top, so they are hit first.
    for (auto it = items_.rbegin(); it != items_.rend(); ++it)
      if (CControlUI* hit = (*it)->FindControlAt(x, y)) return hit;
  }
  return mouse_enabled_ ? this : nullptr;
}

void CContainerUI::ForEach(const std::function<void(CControlUI*)>& visit) {
  visit(this);
  for (auto& item : items_) item->ForEach(visit);
}

void CContainerUI::DoEvent(TEventUI& event) {
  if (event.type == UiEvent::kWheel) {
    CScrollBarUI* bar = vscroll_ && vscroll_->IsOwnVisible()   ? vscroll_.get()
                        : hscroll_ && hscroll_->IsOwnVisible() ? hscroll_.get()
                                                               : nullptr;
    if (bar) {
      SIZE pos = GetScrollPos();
      (bar->IsHorizontal() ? pos.cx : pos.cy) += event.wheel_up ? -kWheelStep : kWheelStep;
      SetScrollPos(pos);
      return;
    }
  }
  CControlUI::DoEvent(event);
}

void CContainerUI::DoPaint(QPainter& painter, const UiRect& clip) {
  const UiRect mine = Intersect(clip, rect_);
  if (mine.empty()) return;
  CControlUI::DoPaint(painter, mine);
  const UiRect inner = Intersect(mine, ClientRect());
  if (!inner.empty()) {
    painter.save();
    painter.setClipRect(QRect(inner.left, inner.top, inner.width(), inner.height()),
                        Qt::IntersectClip);
    for (auto& item : items_) {
      if (!item->IsVisible()) continue;
      const UiRect child = Intersect(inner, item->GetPos());
      if (!child.empty()) item->DoPaint(painter, inner);
    }
    painter.restore();
  }
  for (auto* bar : {vscroll_.get(), hscroll_.get()})
    if (bar && bar->IsOwnVisible()) bar->DoPaint(painter, mine);
}

void CVerticalLayoutUI::SetPos(const UiRect& rect) {
  CControlUI::SetPos(rect);
  LayoutChildren(true);
}

void CHorizontalLayoutUI::SetPos(const UiRect& rect) {
  CControlUI::SetPos(rect);
  LayoutChildren(false);
}

}  // namespace velmora::ui
