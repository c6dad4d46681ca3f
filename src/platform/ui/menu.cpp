#include "platform/ui/menu.h"

#include <QScreen>

namespace velmora::ui {

void CMenuWnd::Init(WindowImplBase* owner, const std::string& layout, QPoint point) {
  owner_ = owner;
  owner_host_ = owner ? owner->GetHWND() : nullptr;
  layout_ = layout;
  if (!Create(owner_host_, "", WS_POPUP, WS_EX_TOPMOST)) {
    qWarning("menu %s: %s", layout.c_str(), GetLayoutError().c_str());
    delete this;
    return;
  }
  // A popup closes itself when the user clicks elsewhere.
  host_->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
  GetPaintManager().SetForceUseSharedRes(true);
  // Its height follows its elements.
  int height = 6;
  if (auto* list = dynamic_cast<CContainerUI*>(GetPaintManager().GetRoot())) {
    for (int i = 0; i < list->GetCount(); ++i) {
      CControlUI* item = list->GetItemAt(i);
      if (!item->IsOwnVisible()) continue;
      const SIZE size = item->EstimateSize({0, 0});
      height += (size.cy > 0 ? size.cy : 28) + item->GetPadding().top + item->GetPadding().bottom;
    }
    height += list->GetInset().top + list->GetInset().bottom;
  }
  const int width = GetPaintManager().GetRoot()->GetFixedWidth() > 0
                        ? GetPaintManager().GetRoot()->GetFixedWidth()
                        : 200;
  host_->resize(width, height);
  host_->move(point);
  host_->show();
}

void CMenuWnd::Notify(TNotifyUI& msg) {
  if (msg.sType == "itemclick" && dynamic_cast<CMenuElementUI*>(msg.pSender)) {
    // The owner handles the choice; the element lives until the menu is gone.
    if (owner_host_ && IsWindow(owner_host_)) owner_->GetPaintManager().SendNotify(msg);
    Close(IDOK);
  }
}

void CMenuWnd::OnFinalMessage(HWND) { delete this; }

bool CMenuElementUI::Activate() {
  if (!CControlUI::Activate()) return false;
  Notify("itemclick");
  return true;
}

}  // namespace velmora::ui
