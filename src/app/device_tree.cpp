// The device tree: a node per device found, selection (the first one reads the
// device behind the wait dialog), the synchronise button, the status labels and
// the online boxes, and which channel rows the current device shows.
#include <cctype>
#include <cstdlib>
#include <optional>

#include <QTimer>

#include "app/device_flows_host.h"
#include "app/main_window.h"
#include "app/texts.h"
#include "app/wait_dialog.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/list_controls.h"
#include "platform/ui/text_controls.h"

namespace velmora {

using namespace ui;

namespace {

// n of a per-device control named "<constant>_<n>"; nothing unless digits follow
// the last '_' (the tree's root node is "treenode_device").
std::optional<int> DeviceIndexOf(const std::string& name) {
  const std::size_t last = name.rfind('_');
  if (last == std::string::npos || last == 0 || last + 1 >= name.size()) return std::nullopt;
  for (std::size_t i = last + 1; i < name.size(); ++i)
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return std::nullopt;
  return std::atoi(name.c_str() + last + 1);
}

std::string Suffix(int n) { return "_" + std::to_string(n); }

}  // namespace

void MainWindow::BindDeviceFlowHandlers() {
  Bind("click", "button_scan", [this](TNotifyUI&) { OnScanButton(); });
  Bind("itemselect", "treeview_device_list", [this](TNotifyUI& msg) { OnTreeItemSelect(msg); });
  Bind("click", "button_circle", [this](TNotifyUI& msg) { OnSyncButton(msg); });
  Bind("click", "button_pink_noise_play", [this](TNotifyUI&) { OnPinkNoise(true); });
  Bind("click", "button_pink_noise_stop", [this](TNotifyUI&) { OnPinkNoise(false); });
}

DeviceRecord* MainWindow::CurrentDevice() {
  // The root node is the tree's item 0, so the selected item's index is the
  // device's 1-based position in the list.
  auto* tree = dynamic_cast<CTreeViewUI*>(GetPaintManager().FindControl("treeview_device_list"));
  const int selected = tree ? tree->GetCurSel() : -1;
  return ::velmora::CurrentDevice(devices_, placeholder_, selected);
}

void MainWindow::AddDeviceNode(const std::string& name, int n) {
  CPaintManagerUI& pm = GetPaintManager();
  auto* root = dynamic_cast<CTreeNodeUI*>(pm.FindControl("treenode_device"));
  if (!root) return;
  auto style = [root](const char* attribute) {
    const char* list = root->GetCustomAttribute(attribute);
    return std::string(list ? list : "");
  };
  auto* node = new CTreeNodeUI;
  node->SetName("treenode_device" + Suffix(n));
  if (auto* hide = dynamic_cast<CCheckBoxUI*>(pm.FindControl("checkbox_hide_device_list")))
    node->SetVisible(!hide->GetCheck());
  auto add = [&](CControlUI* child, const char* attribute) {
    child->ApplyAttributeList(style(attribute));
    child->SetName(child->GetName() + Suffix(n));
    node->Add(child);
    return child;
  };
  add(new CLabelUI, "labelstyle")->SetText(std::to_string(n + 1));
  add(new CEditUI, "editstyle")->SetText(name);
  add(new CLabelUI, "labeltipsstyle");
  CControlUI* circle = add(new CLabelUI, "labelcirclestyle");
  if (settings_.language != kLanguageChinese) circle->SetText("click to syn");
  add(new CCheckBoxUI, "checkboxstyle");
  add(new CButtonUI, "buttoncirclestyle");
  CControlUI* remove = add(new CButtonUI, "buttondeletestyle");
  // The node goes after the click has been handled: the button is part of it.
  Bind("click", remove->GetName(), [this, node_name = node->GetName()](TNotifyUI&) {
    QTimer::singleShot(0, GetHWND(), [this, node_name] { DeleteDeviceNode(node_name); });
  });
  node->ApplyAttributeList(style("treenodestyle"));
  root->AddChildNode(node);
  if (CControlUI* hint = pm.FindControl("label_device_hint")) hint->SetVisible(false);
}

void MainWindow::DeleteDeviceNode(const std::string& node_name) {
  auto* root = dynamic_cast<CTreeNodeUI*>(GetPaintManager().FindControl("treenode_device"));
  if (!root) return;
  // The nodes are in list order, so the node's position is its record's.
  for (int i = 0; i < root->GetCountChild() && static_cast<std::size_t>(i) < devices_.size(); ++i) {
    CTreeNodeUI* node = root->GetChildNode(i);
    if (node->GetName() != node_name) continue;
    const std::uint32_t address = devices_[i].address;
    devices_.erase(devices_.begin() + i);  // later records move down, keeping their addresses
    channel_selection_.erase(address);
    if (shown_device_ == static_cast<int>(address)) shown_device_ = -1;
    if (devices_.empty()) flows().meters().Stop();
    root->RemoveChildNode(node);
    if (devices_.empty())
      if (CControlUI* hint = GetPaintManager().FindControl("label_device_hint")) hint->SetVisible(true);
    return;
  }
}

void MainWindow::OnDeviceFound(const DeviceRecord& record) {
  // Fresh per-device state: channels 0 and 0.
  channel_selection_[record.address] = {0, 0};
  AddDeviceNode(record.name, static_cast<int>(record.address) - 1);
}

void MainWindow::OnTreeItemSelect(TNotifyUI&) {
  auto* tree = dynamic_cast<CTreeViewUI*>(GetPaintManager().FindControl("treeview_device_list"));
  if (!tree) return;
  IListItemUI* item = tree->GetListItem(tree->GetCurSel());
  if (!item) return;
  const std::optional<int> n = DeviceIndexOf(item->AsControl()->GetName());
  if (!n) return;
  const auto address = static_cast<std::uint32_t>(*n + 1);
  DeviceRecord* device = FindDevice(devices_, address);
  if (!device) {
    if (GetPaintManager().FindControl("device")) shown_device_ = -1;
    return;
  }
  selected_address_ = static_cast<int>(address);
  if (!device->synchronized) ReadBehindWaitDialog(address);
  RefreshMeters();
  UpdateChannelVisibility();
  shown_device_ = static_cast<int>(address);
}

void MainWindow::OnSyncButton(TNotifyUI& msg) {
  const std::optional<int> n = DeviceIndexOf(msg.pSender->GetName());
  if (!n || *n < 0 || static_cast<std::size_t>(*n) >= devices_.size()) return;
  const auto address = static_cast<std::uint32_t>(*n + 1);
  DeviceRecord* device = FindDevice(devices_, address);
  auto* tree = dynamic_cast<CTreeViewUI*>(GetPaintManager().FindControl("treeview_device_list"));
  CTreeNodeUI* node = dynamic_cast<CTreeNodeUI*>(GetPaintManager().FindControl("treenode_device" + Suffix(*n)));
  if (!device || !tree || !node) return;
  const bool selected = tree->GetCurSel() == node->GetIndex();
  if (device->synchronized) {
    if (!selected) tree->SelectItem(node->GetIndex(), true);  // switches to it
    ReadBehindWaitDialog(address);
  } else if (!selected) {
    tree->SelectItem(node->GetIndex(), true);  // the selection reads it
  } else {
    ReadBehindWaitDialog(address);
  }
}

void MainWindow::ReadBehindWaitDialog(std::uint32_t address) {
  DeviceRecord* device = FindDevice(devices_, address);
  if (!device) return;
  const std::string tips = "label_tips" + Suffix(static_cast<int>(address) - 1);
  const std::string text = Text(settings_.language, "Synchronize from device...", "从设备读取数据中...");
  if (CControlUI* label = GetPaintManager().FindControl(tips)) label->SetText(text);
  UpdateChannelVisibility();

  transfer_.pre_delay_ms = protocol::kSyncPreDelayMs;
  transfer_.kind = static_cast<int>(protocol::SequenceKind::kReadAll);
  transfer_.target_address = static_cast<int>(address);
  transfer_.done = 0;
  WaitDialog dialog(100, text, &transfer_.done);
  const bool shown = dialog.Create(GetHWND(), "Synchronize", UI_WNDSTYLE_DIALOG & ~WS_VISIBLE, WS_EX_WINDOWEDGE);
  flows().sequence().Start(protocol::kSyncPreDelayMs, protocol::SequenceKind::kReadAll, *device);
  if (shown) {
    dialog.CenterWindow();
    sync_dialog_open_ = true;
    const int result = dialog.ShowModal();
    sync_dialog_open_ = false;
    if (result < 0) return;  // the program is quitting
  }
  // Marked whether or not the read succeeded: the synchronise button reads again.
  if (DeviceRecord* read = FindDevice(devices_, address)) read->synchronized = true;
  if (CControlUI* label = GetPaintManager().FindControl(tips)) label->SetText("");
  if (sync_failure_pending_) {
    sync_failure_pending_ = false;
    UiMessageBox(GetHWND(), Text(settings_.language, "Synchronize from device fail", "从下位机同步数据失败"),
                 Text(settings_.language, "Warning", "警告"), MB_OK | MB_ICONWARNING);
  }
}

void MainWindow::OnMeterReading(const DeviceRecord& record, bool online) {
  const std::string box = "checkbox_connect_status" + Suffix(static_cast<int>(record.address) - 1);
  if (auto* check = dynamic_cast<CCheckBoxUI*>(GetPaintManager().FindControl(box)))
    if (check->GetCheck() != online) check->SetCheck(online);
  if (&record == CurrentDevice()) RefreshMeters();
}

void MainWindow::UpdateChannelVisibility() {
  const DeviceRecord* device = CurrentDevice();
  if (!device) return;
  static const char* const kInputStems[] = {
      "layout_energy_input",        "layout_input",             "layout_input_delay_control",
      "layout_input_delay_image",   "layout_input_delay_label", "layout_input_delay_unit_cm",
      "layout_input_delay_unit_ft", "layout_input_delay_unit_ms", "layout_input_delay_on",
      "layout_input_delay_reset",   "layout_home_input",        "layout_mix_input"};
  static const char* const kOutputStems[] = {
      "layout_energy_output",        "layout_output",             "layout_output_delay_control",
      "layout_output_delay_image",   "layout_output_delay_label", "layout_output_delay_unit_cm",
      "layout_output_delay_unit_ft", "layout_output_delay_unit_ms", "layout_output_delay_on",
      "layout_output_delay_reset",   "layout_home_output",        "layout_mix_output"};
  CPaintManagerUI& pm = GetPaintManager();
  auto show = [&pm](const std::string& name, bool visible) {
    if (CControlUI* control = pm.FindControl(name))
      if (control->IsOwnVisible() != visible) control->SetVisible(visible);
  };
  const int inputs = static_cast<int>(ChannelsInTables(*device, 0));
  const int outputs = static_cast<int>(ChannelsInTables(*device, 1));
  for (int k = 0; k < 8; ++k) {
    for (const char* stem : kInputStems) show(stem + Suffix(k), k < inputs);
    for (const char* stem : kOutputStems) show(stem + Suffix(k), k < outputs);
  }
  // The delay pages keep their width with a placeholder for the missing rows.
  for (int i = 2; i < 10; ++i) {
    show(std::string(kInputStems[i]) + "_hide", inputs < 8);
    show(std::string(kOutputStems[i]) + "_hide", outputs < 8);
  }
  const int wider = std::max(inputs, outputs);
  for (int k = 0; k < 8; ++k) {
    show("layout_home" + Suffix(k), k < wider);
    show("layout_home_hide" + Suffix(k), k < 8 - wider);
    for (int j = 0; j < 8; ++j)
      show("layout_mix_input" + Suffix(k) + "_output" + Suffix(j), k < inputs && j < outputs);
  }
  show("layout_mix_input_hide", inputs < 8);
}

}  // namespace velmora
