// The console's entry point: start-up, the message loop and teardown, in order.
#include <QApplication>
#include <QFont>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/main_window.h"
#include "app/options.h"
#include "app/skin_password.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/paint_manager.h"
#include "platform/ui/scenario.h"

using namespace velmora;

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const auto started = Clock::now();
  QApplication app(argc, argv);
  QApplication::setApplicationName("Velmora");
  QFont font("Noto Sans CJK SC");
  font.setPixelSize(12);
  QApplication::setFont(font);

  std::vector<std::string> args(argv + 1, argv + argc);
  ParseOutcome parsed = ParseCommandLine(args);
  if (!parsed.error.empty() || parsed.line.help) {
    if (!parsed.error.empty()) std::fprintf(stderr, "velmora: %s\n", parsed.error.c_str());
    std::fputs(UsageText(), parsed.error.empty() ? stdout : stderr);
    return parsed.error.empty() ? 0 : 2;
  }
  const CommandLine& line = parsed.line;

  // 1. The platform and its paths.
  ui::CPaintManagerUI::SetInstance(argv[0]);
  ui::CPaintManagerUI::SetCurrentPath(ui::CPaintManagerUI::GetInstancePath());

  // 2. The skin: the encrypted archive beside the program, or a folder for skin work.
  std::string skin_error;
  bool skin_ok;
  if (line.skin_folder.empty()) {
    ui::CPaintManagerUI::SetResourceType(ui::CPaintManagerUI::kResourceZip);
    skin_ok = ui::CPaintManagerUI::SetResourceZip("skin.zip", true, kSkinPassword, skin_error);
  } else {
    ui::CPaintManagerUI::SetResourceType(ui::CPaintManagerUI::kResourceFolder);
    skin_ok = ui::CPaintManagerUI::SetResourcePath(line.skin_folder, skin_error);
  }
  if (!skin_ok) {
    std::fprintf(stderr, "velmora: %s\n", skin_error.c_str());
    return 1;
  }

  // Scripts and screenshots answer dialogs themselves; nothing waits for a person.
  ui::ScriptedDialogService scripted_dialogs;
  std::unique_ptr<ui::ScenarioRunner> runner;
  if (!line.script.empty() || !line.screenshot.empty()) {
    ui::CPaintManagerUI::SetDialogService(&scripted_dialogs);
    runner = std::make_unique<ui::ScenarioRunner>(scripted_dialogs);
    std::string error;
    const bool loaded = line.script.empty()
                            ? runner->LoadText("screenshot \"" + line.screenshot + "\"\nquit 0\n",
                                               "--screenshot", error)
                            : runner->LoadFile(line.script, error);
    if (!loaded) {
      std::fprintf(stderr, "velmora: %s\n", error.c_str());
      return 2;
    }
  }

  // 3. The application object; the link engine's threads start inside, on the
  //    system's serial port layer.
  MainWindow::Options options;
  options.ports = line.ports;
  auto window = std::make_unique<MainWindow>(std::move(options), nullptr);

  const bool report_times = std::getenv("VELMORA_STARTUP_TIMES") != nullptr;
  window->SetWindowInitCallback([&] {
    if (report_times) std::fprintf(stderr, "startup: windowinit after %.1f ms\n", MsSince(started));
  });
  window->SetFirstPaintCallback([&] {
    if (report_times) std::fprintf(stderr, "startup: first paint after %.1f ms\n", MsSince(started));
  });

  // 4. The window: no parent, the product's name as title, a frameless popup with
  //    our own title bar; centred, shown and focused.
  const std::string title = "Velmora";
  if (!window->Create(nullptr, title, ui::UI_WNDSTYLE_DIALOG & ~ui::WS_VISIBLE, ui::WS_EX_WINDOWEDGE)) {
    std::fprintf(stderr, "velmora: %s\n", window->GetLayoutError().c_str());
    return 1;
  }
  window->CenterWindow();
  window->ShowWindow(true, true);
  if (runner) runner->Start();

  // 5. The message loop, then teardown: the platform, then the application object.
  int status = ui::CPaintManagerUI::MessageLoop();
  if (runner) status = runner->IsFinished() ? runner->Status() : status;
  ui::CPaintManagerUI::Term();
  window.reset();
  return status;
}
