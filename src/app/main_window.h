#pragma once
// MainWindow: the application object. It lives from before the message loop to
// after it and owns the link engine, the window timers, the lookup tables and the
// console's state. Its constructor and destructor spell out the start-up and
// teardown order.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "link/uart.h"
#include "model/device_list.h"
#include "model/program_settings.h"
#include "protocol/flow_owner.h"
#include "platform/serial/port_selection.h"
#include "platform/serial/port_watcher.h"
#include "platform/ui/window.h"

namespace velmora {

namespace protocol {
class Flows;
}
class DeviceFlowsHost;

class MainWindow : public ui::WindowImplBase {
 public:
  struct Options {
    // --port: probe only these ports (an emulator's line) instead of the system's.
    std::vector<std::string> ports;
    // Where Setting.ini is read and written; empty: beside the program, or the
    // user's configuration folder when the program's folder is not writable.
    std::filesystem::path settings_folder;
    // Where the system's enumeration and the hot-plug watcher look (tests: a fake tree).
    PortSystemRoots port_roots;
  };
  // Makes the serial port the link engine owns: the termios port in the program,
  // a fake in tests. The engine's three threads (send loop, monitor reader, upload)
  // start in the constructor and run until the destructor.
  using PortFactory = std::function<std::unique_ptr<Port>()>;

  MainWindow(Options options, PortFactory make_port);
  ~MainWindow() override;

  std::string GetWindowClassName() const override { return "MainWindowClass"; }
  ui::UINT GetClassStyle() const override { return 11; }  // vertical, horizontal redraw; double clicks
  std::string GetSkinFile() const override { return "view/MainWindow.xml"; }

  void Notify(ui::TNotifyUI& msg) override;
  ui::LRESULT HandleMessage(ui::UINT msg, ui::WPARAM wparam, ui::LPARAM lparam) override;
  ui::CControlUI* CreateControl(const std::string& tag) override;
  ui::LRESULT OnDestroy(ui::UINT msg, ui::WPARAM wparam, ui::LPARAM lparam, bool& handled) override;
  ui::LRESULT OnChar(ui::UINT msg, ui::WPARAM wparam, ui::LPARAM lparam, bool& handled) override;

  // Called once "windowinit" has run (start-up timing, scripts).
  void SetWindowInitCallback(std::function<void()> callback) { window_init_ = std::move(callback); }

  CUart& link_engine() { return *link_engine_; }
  // The ports known to be present, in string order; empty before "windowinit".
  const std::set<std::string>& port_names() const;
  // The open port's name; empty when none is open.
  std::string OpenPortName() const;
  const ProgramSettings& settings() const { return settings_; }
  const std::filesystem::path& settings_folder() const { return settings_folder_; }

  // The scan's state: Escape sets the flag, the scan's wait dialog watches it.
  std::uint8_t& scan_finished() { return scan_finished_; }
  int scan_time_ms() const { return scan_time_ms_; }

  // Notification routing: (type, control name) -> handler. A control name occurs
  // at most once per type. A miss on a per-device control (its constant plus "_n")
  // falls back to the constant.
  using NotifyHandler = std::function<void(ui::TNotifyUI&)>;
  void Bind(const std::string& type, const std::string& control, NotifyHandler handler);
  // Window timers are dispatched on the low byte of their identifier.
  using TimerHandler = std::function<void(std::uint32_t id)>;
  void BindTimerCode(std::uint8_t code, TimerHandler handler);

  // Scan: the button (after its question) and the settings dialog's rescan question
  // start it. Empties the list and the tree, sends ScanBegin twice and scans behind
  // the wait dialog (scan_command.cpp).
  void StartScan();

  // The settings dialog's OK path (also reached by scripts and tests): take the
  // scan time, switch the port once the send queue is empty, offer a rescan.
  void ApplySettings(int scan_time_ms, const std::string& port);

  // WM_DEVICECHANGE: wParam kDeviceArrival or kDeviceRemoveComplete, lParam a
  // DeviceBroadcastPort*, valid for the call (the message is sent, never posted).
  static constexpr ui::WPARAM kDeviceArrival = 0x8000;
  static constexpr ui::WPARAM kDeviceRemoveComplete = 0x8004;
  static constexpr std::uint32_t kDeviceTypePort = 3;
  struct DeviceBroadcastPort {
    std::uint32_t device_type = kDeviceTypePort;
    std::string name;
  };

  static constexpr std::uint32_t kScanStepTimer = 140;
  static constexpr std::uint32_t kMeterPollTimer = 142;
  static constexpr std::uint32_t kMonitorRefreshTimer = 143;
  static constexpr int kMonitorRefreshMs = 200;
  // The hot-plug watch. Timers are dispatched on their low byte and 128..143 are
  // the device timers (deferred writes, scan, sequence, meters, monitor), so this
  // one takes the next code, which no TimerRequestId carries.
  static constexpr std::uint32_t kPortWatchTimer = 144;
  static constexpr int kPortWatchMs = 500;
  // How often the settings path looks whether the send queue has drained.
  static constexpr int kSendQueuePollMs = 10;

  // --- Device flows: discovery, synchronising, meters --------------------------------
  // (scan_command.cpp, device_tree.cpp, energy_page.cpp; the machines in src/protocol)
  // A read (kind 0) or write-all (kind 1) of the current device on timer 141.
  void StartSequence(int pre_delay_ms, protocol::SequenceKind kind);
  // The device node of address n + 1 under treenode_device, built from its style attributes.
  void AddDeviceNode(const std::string& name, int n);
  // The tree's selected device; the placeholder while the list is empty; else none.
  DeviceRecord* CurrentDevice();
  // The energy page from the current device's last reading.
  void RefreshMeters();
  // Shows the channel rows the current device has.
  void UpdateChannelVisibility();
  ProgramSettings& settings() { return settings_; }
  DeviceList& devices() { return devices_; }
  protocol::Flows& flows();
  const std::uint8_t& transfer_done() const { return transfer_.done; }

 private:
  friend class DeviceFlowsHost;
  void BindDeviceFlowHandlers();
  void OnScanButton();
  void ShowDeviceCount(bool shown);
  void OnTreeItemSelect(ui::TNotifyUI& msg);
  void OnSyncButton(ui::TNotifyUI& msg);
  void ReadBehindWaitDialog(std::uint32_t address);
  void OnPinkNoise(bool play);
  void OnDeviceFound(const DeviceRecord& record);
  void DeleteDeviceNode(const std::string& node_name);
  void OnSequenceEnded(protocol::SequenceKind kind, bool failed);
  void OnMeterReading(const DeviceRecord& record, bool online);

 private:
  using MessageHandler = ui::LRESULT (MainWindow::*)(ui::UINT, ui::WPARAM, ui::LPARAM, bool&);
  static const std::map<ui::UINT, MessageHandler>& MessageTable();
  ui::LRESULT OnCreateMessage(ui::UINT, ui::WPARAM, ui::LPARAM, bool& handled);
  ui::LRESULT OnTimerMessage(ui::UINT, ui::WPARAM, ui::LPARAM, bool& handled);
  ui::LRESULT OnDeviceChangeMessage(ui::UINT, ui::WPARAM, ui::LPARAM, bool& handled);

  void BuildNotifyTable();
  void BuildTimerTable();
  void OnWindowInit(ui::TNotifyUI& msg);
  void OnWindowSize(ui::TNotifyUI& msg);
  void ShowMaximizeButtons();

  // Start-up (main_window_init.cpp).
  void ReadSettings();
  void RefreshPagesFromPlaceholder();  // hook: the pages fill it
  void OpenFirstPort();
  void ApplyLanguageTexts();           // hook: the language's text tables fill it
  void RefreshMonitor();               // timer 143; hook: the serial monitor fills it

  // Ports (main_window_ports.cpp).
  void WatchPorts();                   // timer kPortWatchTimer
  void SendDeviceChange(ui::WPARAM event, const std::string& name);
  void OnPortArrived(const std::string& name);
  void OnPortRemoved(const std::string& name);
  void SwitchPort(const std::string& name);

  // Settings (main_window_settings.cpp).
  void OnSetClicked();
  void WaitForEmptySendQueue();
  int MessageBox(const std::string& text, const std::string& caption, ui::UINT type);

  Options options_;

  // The console's own state, with its defaults before the settings are read.
  ProgramSettings settings_;
  std::filesystem::path settings_folder_;
  int config_baud_ = 115200;
  int scan_time_ms_ = 5000;
  int scan_countdown_ms_ = 5000;
  std::uint8_t scan_finished_ = 1;
  struct TransferState {
    std::uint8_t done = 1;
    int pre_delay_ms = 0;
    int target_address = -1;  // none
    int kind = 0;
  } transfer_;
  int selected_address_ = -1;
  DeviceRecord placeholder_ = MakePlaceholderRecord();
  DeviceList devices_;
  BandCounts band_counts_;
  // ChannelSelection: device address -> selected input and output channel.
  std::map<std::uint32_t, std::pair<int, int>> channel_selection_;
  int shown_device_ = -1;
  bool sync_dialog_open_ = false;      // a failure message waits for the dialog to close
  bool sync_failure_pending_ = false;

  // Owned resources, in the order the destructor releases them.
  std::unique_ptr<ui::WindowImplBase> debug_dialog_;  // the serial monitor, once shown
  std::ofstream effects_dump_file_;                   // open while an effects dump runs
  std::unique_ptr<CUart> link_engine_;
  // The port set: which ports are present and which is open (over the engine's
  // port), and the watcher that notices ports coming and going.
  std::unique_ptr<PortSelection> ports_;
  std::unique_ptr<PortWatcher> port_watcher_;
  bool in_port_watch_ = false;  // a question is open inside a watch tick
  std::map<std::string, std::map<std::string, NotifyHandler>> notify_table_;
  // The timer-code table lives in the device flows, with the flows' own handlers.
  std::unique_ptr<DeviceFlowsHost> device_flows_;

  std::function<void()> window_init_;
};

}  // namespace velmora
