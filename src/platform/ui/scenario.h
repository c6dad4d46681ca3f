#pragma once
// Scenario scripts: a line-based language that drives the windows by control name
// the way a user would, inside the normal event loop, so modal dialogs, timers and
// the link engine behave exactly as in use. See the README for the language.
//
// Every action is queued on the event loop, never run inside the step that asks
// for it, so a click that opens a modal dialog leaves the script running in the
// dialog's loop. A failed check or an unknown control ends the script with a
// message naming the line and a non-zero status.
//
// User-interface thread only.

#include <QObject>
#include <QPointer>

#include <functional>
#include <string>
#include <vector>

namespace velmora::ui {

class CControlUI;
class CPaintManagerUI;
class ScriptedDialogService;

struct ScenarioStep {
  int line = 0;
  std::vector<std::string> words;  // the verb first; quoted texts arrive unquoted
};

class ScenarioRunner : public QObject {
 public:
  // Answers to message boxes and file dialogs are programmed into `dialogs`, which
  // must be the service the windows use.
  explicit ScenarioRunner(ScriptedDialogService& dialogs);

  // Reads a script; false (with "file:line: reason") on a syntax error.
  bool LoadFile(const std::string& path, std::string& error);
  bool LoadText(const std::string& text, const std::string& name, std::string& error);

  // Runs once every open window has sent "windowinit". `finished` receives the
  // status; by default the program quits with it.
  void Start();
  void SetFinishedCallback(std::function<void(int)> finished) { finished_ = std::move(finished); }

  bool IsFinished() const { return finished_flag_; }
  int Status() const { return status_; }
  const std::string& Failure() const { return failure_; }

  // How long a command waits for its control to appear (a window opening).
  void SetLookupGrace(int ms) { lookup_grace_ms_ = ms; }

 private:
  struct Found {
    CPaintManagerUI* manager = nullptr;
    CControlUI* control = nullptr;
  };

  void WaitForWindows();
  void Continue(int delay_ms = 0);
  void RunStep();
  // Runs the current step; returns false when it must be retried later (waiting).
  bool Execute(const ScenarioStep& step);
  Found Find(const std::string& name) const;
  bool Fail(const std::string& reason);
  void Finish(int status);
  bool NeedWords(const ScenarioStep& step, std::size_t min, std::size_t max);
  // Where a user would click on `control`, or false with the reason in failure_.
  bool ClickPoint(const Found& found, int& x, int& y);
  bool PostClick(const Found& found, bool double_click);

  ScriptedDialogService& dialogs_;
  std::string name_;
  std::vector<ScenarioStep> steps_;
  std::size_t next_ = 0;
  long long step_started_ms_ = -1;
  int lookup_grace_ms_ = 2000;
  bool finished_flag_ = false;
  int status_ = 0;
  std::string failure_;
  std::function<void(int)> finished_;
};

}  // namespace velmora::ui
