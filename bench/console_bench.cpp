// The console itself on three emulated devices: the main window (offscreen)
// scans the line and synchronises every device through its tree, as a user
// would; then its peak resident memory. The emulator runs in the same process
// (a few hundred kilobytes of state), so the figure is an upper bound.
#include "live_line.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <fstream>
#include <string>

#include "app/main_window.h"
#include "platform/archive/skin_archive.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/list_controls.h"
#include "platform/ui/paint_manager.h"

using namespace velmora;

namespace {

long PeakResidentKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  auto skin = OpenSkinFolder(VELMORA_SKIN_DIR);
  if (!skin) {
    std::fprintf(stderr, "%s\n", skin.error.c_str());
    return 1;
  }
  ui::CPaintManagerUI::SetResourceSource(std::move(skin.value));
  ui::ScriptedDialogService dialogs;
  ui::CPaintManagerUI::SetDialogService(&dialogs);

  testing::EmulatedLine line({testing::LineDevice("DSP-1", 1, 8, 8), testing::LineDevice("DSP-2", 2, 4, 4),
                              testing::LineDevice("DSP-3", 3, 2, 6)});
  line.Run();
  MainWindow::Options options;
  options.ports = {line.tty()};
  MainWindow window(options, nullptr);
  window.settings().language = kLanguageEnglish;
  if (!window.Create(nullptr, "Velmora", ui::WS_POPUP, 0, 0, 0, 1280, 800)) return 1;
  window.ShowWindow(true, true);
  while (!window.IsInitialized()) QApplication::processEvents();
  std::printf("peak resident memory after start-up: %.1f MB\n", PeakResidentKb() / 1024.0);

  QElapsedTimer clock;
  clock.start();
  window.StartScan();
  std::printf("scan (5 s scan time, 1 s of ScanBegin pauses): %zu devices in %.1f s\n",
              window.devices().size(), clock.elapsed() / 1000.0);
  auto* tree = dynamic_cast<ui::CTreeViewUI*>(window.GetPaintManager().FindControl("treeview_device_list"));
  for (std::size_t k = 1; k <= window.devices().size(); ++k) {
    clock.restart();
    tree->SelectItem(static_cast<int>(k), true);  // reads it behind the wait dialog
    const DeviceRecord& r = window.devices()[k - 1];
    std::printf("synchronise %s (%u x %u): %.1f s including the 1 s pre-delay%s\n", r.name.c_str(),
                r.channel_count[0], r.channel_count[1], clock.elapsed() / 1000.0,
                dialogs.messages().empty() ? "" : " (failed)");
  }
  std::printf("peak resident memory with three devices synchronised: %.1f MB (target: well under 200 MB)\n",
              PeakResidentKb() / 1024.0);
  return 0;
}
