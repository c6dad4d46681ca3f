#include "platform/ui/scenario.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/ui/basic_controls.h"
#include "platform/ui/dialog_service.h"
#include "platform/ui/list_controls.h"
#include "platform/ui/paint_manager.h"
#include "platform/ui/text_controls.h"
#include "platform/ui/window.h"

namespace velmora::ui {
namespace {

long long NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// Splits a line into words; "double quotes" keep spaces, \" and \\ escape.
bool Tokenize(const std::string& line, std::vector<std::string>& words, std::string& error) {
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    if (i >= line.size() || line[i] == '#') break;
    std::string word;
    if (line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        if (line[i] == '\\' && i + 1 < line.size()) {
          word += line[i + 1];
          i += 2;
        } else if (line[i] == '"') {
          ++i;
          closed = true;
          break;
        } else {
          word += line[i++];
        }
      }
      if (!closed) {
        error = "unclosed quote";
        return false;
      }
    } else {
      while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) word += line[i++];
    }
    words.push_back(word);
  }
  return true;
}

struct Verb {
  const char* name;
  std::size_t min, max;  // words after the verb
};

const Verb kVerbs[] = {
    {"click", 1, 1},       {"dblclick", 1, 1},    {"type", 2, 3},       {"check", 2, 2},
    {"pick", 2, 2},        {"slide", 2, 2},       {"key", 2, 2},        {"wheel", 2, 3},
    {"answer", 2, 2},      {"wait", 1, 1},        {"wait-text", 2, 3},  {"expect-text", 2, 2},
    {"expect-visible", 2, 2}, {"expect-state", 2, 2}, {"expect-message", 1, 1},
    {"screenshot", 1, 1},  {"quit", 1, 1},
};

const Verb* FindVerb(const std::string& name) {
  for (const Verb& verb : kVerbs)
    if (name == verb.name) return &verb;
  return nullptr;
}

// Whether a control found earlier still exists: its window is alive and its name
// still leads to it. Queued actions check this, since a window may close meanwhile.
bool StillThere(CPaintManagerUI* manager, CControlUI* control, const std::string& name) {
  const auto& managers = CPaintManagerUI::AllManagers();
  return std::find(managers.begin(), managers.end(), manager) != managers.end() &&
         manager->FindControl(name) == control;
}

bool IsWithin(const CControlUI* inner, const CControlUI* outer) {
  for (const CControlUI* c = inner; c; c = c->GetParent())
    if (c == outer) return true;
  return false;
}

int QtKey(const std::string& name, QString& text) {
  static const std::map<std::string, std::pair<int, const char*>> keys = {
      {"Escape", {Qt::Key_Escape, "\x1b"}}, {"Return", {Qt::Key_Return, "\r"}},
      {"Up", {Qt::Key_Up, ""}},             {"Down", {Qt::Key_Down, ""}},
      {"Left", {Qt::Key_Left, ""}},         {"Right", {Qt::Key_Right, ""}},
      {"Space", {Qt::Key_Space, " "}},      {"Tab", {Qt::Key_Tab, "\t"}},
  };
  auto found = keys.find(name);
  if (found != keys.end()) {
    text = QString::fromLatin1(found->second.second);
    return found->second.first;
  }
  if (name.size() == 1) {
    text = QString::fromStdString(name);
    return QChar(name[0]).toUpper().unicode();
  }
  return 0;
}

// The text a list or tree element shows: its own, or that of its first labelled child.
std::string ElementText(CControlUI* element) {
  if (!element->GetText().empty()) return element->GetText();
  std::string text;
  element->ForEach([&](CControlUI* c) {
    if (text.empty() && c != element && !c->GetText().empty()) text = c->GetText();
  });
  return text;
}

}  // namespace

ScenarioRunner::ScenarioRunner(ScriptedDialogService& dialogs) : dialogs_(dialogs) {
  finished_ = [](int status) { QCoreApplication::exit(status); };
}

bool ScenarioRunner::LoadFile(const std::string& path, std::string& error) {
  std::ifstream in(path);
  if (!in) {
    error = "cannot read the script " + path;
    return false;
  }
  std::stringstream text;
  text << in.rdbuf();
  return LoadText(text.str(), path, error);
}

bool ScenarioRunner::LoadText(const std::string& text, const std::string& name, std::string& error) {
  name_ = name;
  steps_.clear();
  std::stringstream in(text);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    ScenarioStep step;
    step.line = number;
    std::string why;
    if (!Tokenize(line, step.words, why)) {
      error = name + ":" + std::to_string(number) + ": " + why;
      return false;
    }
    if (step.words.empty()) continue;
    const Verb* verb = FindVerb(step.words[0]);
    if (!verb) {
      error = name + ":" + std::to_string(number) + ": unknown command " + step.words[0];
      return false;
    }
    const std::size_t args = step.words.size() - 1;
    if (args < verb->min || args > verb->max) {
      error = name + ":" + std::to_string(number) + ": " + step.words[0] + " takes " +
              std::to_string(verb->min) +
              (verb->max != verb->min ? " to " + std::to_string(verb->max) : std::string()) +
              " argument(s)";
      return false;
    }
    steps_.push_back(std::move(step));
  }
  return true;
}

void ScenarioRunner::Start() {
  next_ = 0;
  finished_flag_ = false;
  QTimer::singleShot(0, this, [this] { WaitForWindows(); });
}

void ScenarioRunner::WaitForWindows() {
  // Begin once every window has built and announced its layout.
  for (CPaintManagerUI* manager : CPaintManagerUI::AllManagers()) {
    auto* window = dynamic_cast<WindowImplBase*>(manager->GetWindow());
    if (window && window->GetHWND() && !window->IsInitialized()) {
      QTimer::singleShot(10, this, [this] { WaitForWindows(); });
      return;
    }
  }
  Continue();
}

void ScenarioRunner::Continue(int delay_ms) {
  if (delay_ms > 0) {
    QTimer::singleShot(delay_ms, this, [this] { RunStep(); });
    return;
  }
  // Two trips through the queue: what the last action posted (a click, and the
  // "windowinit" of the dialog it opened) has been handled before the next step.
  QTimer::singleShot(0, this, [this] { QTimer::singleShot(0, this, [this] { RunStep(); }); });
}

void ScenarioRunner::RunStep() {
  if (finished_flag_) return;
  if (next_ >= steps_.size()) {
    Finish(0);
    return;
  }
  const ScenarioStep& step = steps_[next_];
  if (step_started_ms_ < 0) step_started_ms_ = NowMs();
  const std::size_t before = next_;
  if (!Execute(step)) {
    if (!finished_flag_) Continue(20);  // waiting for a control or a text
    return;
  }
  if (finished_flag_ || next_ != before) return;
  ++next_;
  step_started_ms_ = -1;
  Continue();
}

ScenarioRunner::Found ScenarioRunner::Find(const std::string& name) const {
  // The newest visible window first: that is the one in front of the user.
  const auto& managers = CPaintManagerUI::AllManagers();
  for (int pass = 0; pass < 2; ++pass)
    for (auto it = managers.rbegin(); it != managers.rend(); ++it) {
      QWidget* host = (*it)->GetPaintWindow();
      if (!host || !(*it)->GetRoot() || !CWindowWnd::FromHandle(host)) continue;
      if (pass == 0 && !host->isVisible()) continue;
      if (CControlUI* control = (*it)->FindControl(name)) return {*it, control};
    }
  return {};
}

bool ScenarioRunner::Fail(const std::string& reason) {
  failure_ = name_ + ":" + std::to_string(steps_[next_].line) + ": " + reason;
  std::fprintf(stderr, "scenario: %s\n", failure_.c_str());
  Finish(1);
  return false;
}

void ScenarioRunner::Finish(int status) {
  if (finished_flag_) return;
  finished_flag_ = true;
  status_ = status;
  if (finished_) finished_(status);
}

bool ScenarioRunner::ClickPoint(const Found& found, int& x, int& y) {
  found.manager->LayoutIfNeeded();
  CControlUI* control = found.control;
  if (!control->IsVisible()) {
    Fail(control->GetName() + " is not visible");
    return false;
  }
  if (!control->IsEnabled()) {
    Fail(control->GetName() + " is disabled");
    return false;
  }
  QWidget* modal = QApplication::activeModalWidget();
  QWidget* host = found.manager->GetPaintWindow();
  if (modal && modal != host && !modal->isAncestorOf(host) && !(host->windowType() == Qt::Popup)) {
    Fail(control->GetName() + " is behind a modal window");
    return false;
  }
  const UiRect& r = control->GetPos();
  x = (r.left + r.right) / 2;
  y = (r.top + r.bottom) / 2;
  CControlUI* hit = found.manager->FindControl(x, y);
  if (!hit || (!IsWithin(hit, control) && !IsWithin(control, hit))) {
    Fail(control->GetName() + " is covered or scrolled out of view");
    return false;
  }
  return true;
}

bool ScenarioRunner::PostClick(const Found& found, bool double_click) {
  int x, y;
  if (!ClickPoint(found, x, y)) return false;
  QWidget* host = found.manager->GetPaintWindow();
  const QPointF local(x, y), global = host->mapToGlobal(QPointF(x, y));
  auto post = [&](QEvent::Type type, Qt::MouseButtons buttons) {
    QCoreApplication::postEvent(
        host, new QMouseEvent(type, local, global, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                              buttons, Qt::NoModifier));
  };
  post(QEvent::MouseMove, Qt::NoButton);
  post(QEvent::MouseButtonPress, Qt::LeftButton);
  post(QEvent::MouseButtonRelease, Qt::NoButton);
  if (double_click) {
    post(QEvent::MouseButtonDblClick, Qt::LeftButton);
    post(QEvent::MouseButtonRelease, Qt::NoButton);
  }
  return true;
}

bool ScenarioRunner::Execute(const ScenarioStep& step) {
  const std::string& verb = step.words[0];
  auto arg = [&](std::size_t i) -> const std::string& {
    static const std::string none;
    return i < step.words.size() ? step.words[i] : none;
  };

  // Commands without a control.
  if (verb == "wait") {
    ++next_;
    step_started_ms_ = -1;
    Continue(std::max(1, std::atoi(arg(1).c_str())));
    return true;
  }
  if (verb == "answer") {
    if (arg(1) == "message") {
      if (arg(2) != "ok" && arg(2) != "cancel") return Fail("answer message takes ok or cancel");
      dialogs_.AnswerNextMessage(arg(2) == "ok" ? IDOK : IDCANCEL);
    } else if (arg(1) == "file") {
      dialogs_.AnswerNextFile(arg(2) == "cancel" ? std::nullopt : std::optional<std::string>(arg(2)));
    } else {
      return Fail("answer takes message or file");
    }
    return true;
  }
  if (verb == "expect-message") {
    if (dialogs_.messages().empty()) return Fail("no message box was shown");
    const std::string& text = dialogs_.messages().back().text;
    if (text != arg(1)) return Fail("the last message box said \"" + text + "\", not \"" + arg(1) + "\"");
    return true;
  }
  if (verb == "quit") {
    Finish(std::atoi(arg(1).c_str()));
    return true;
  }
  if (verb == "screenshot") {
    // The window in front: the newest visible one.
    const auto& managers = CPaintManagerUI::AllManagers();
    for (auto it = managers.rbegin(); it != managers.rend(); ++it) {
      QWidget* host = (*it)->GetPaintWindow();
      if (!host || !host->isVisible() || !CWindowWnd::FromHandle(host)) continue;
      if (host->windowType() == Qt::Popup) continue;
      (*it)->LayoutIfNeeded();
      if (!host->grab().save(QString::fromStdString(arg(1)), "PNG"))
        return Fail("cannot write the screenshot " + arg(1));
      return true;
    }
    return Fail("no window to take a screenshot of");
  }

  // Commands on a control. A window may still be opening: wait for it a little.
  const std::string& name = arg(1);
  Found found = Find(name);
  const long long waited = NowMs() - step_started_ms_;
  if (verb == "wait-text") {
    const int timeout = step.words.size() > 3 ? std::atoi(arg(3).c_str()) : 5000;
    if (found.control && found.control->GetText() == arg(2)) return true;
    if (waited < timeout) return false;
    if (!found.control) return Fail("no control named " + name + " appeared");
    return Fail(name + " shows \"" + found.control->GetText() + "\", not \"" + arg(2) +
                "\", after " + std::to_string(timeout) + " ms");
  }
  if (!found.control) {
    if (waited < lookup_grace_ms_) return false;
    return Fail("no control named " + name);
  }
  CControlUI* control = found.control;

  if (verb == "click" || verb == "dblclick") return PostClick(found, verb == "dblclick");

  if (verb == "type") {
    auto* edit = dynamic_cast<CEditUI*>(control);
    if (!edit) return Fail(name + " is not an edit box");
    int x, y;
    if (!ClickPoint(found, x, y)) return false;
    const std::string then = arg(3);
    if (!then.empty() && then != "return" && then != "leave")
      return Fail("type ends with return or leave");
    QPointer<QLineEdit> native = edit->NativeEdit();
    CPaintManagerUI* manager = found.manager;
    QMetaObject::invokeMethod(this, [edit, manager, native, name, text = arg(2), then] {
      if (!native || !StillThere(manager, edit, name)) return;
      manager->SetFocus(edit);
      native->selectAll();
      native->insert(QString::fromStdString(text));
      if (then == "return") {
        QCoreApplication::postEvent(native, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return,
                                                          Qt::NoModifier, "\r"));
      } else if (then == "leave") {
        QMetaObject::invokeMethod(
            manager->GetPaintWindow(), [manager, edit, name] {
              if (StillThere(manager, edit, name) && manager->GetFocus() == edit)
                manager->SetFocus(nullptr);
            },
            Qt::QueuedConnection);
      }
    }, Qt::QueuedConnection);
    return true;
  }
  if (verb == "check") {
    auto* option = dynamic_cast<COptionUI*>(control);
    if (!option) return Fail(name + " is not a check box or option");
    if (arg(2) != "on" && arg(2) != "off") return Fail("check takes on or off");
    if (option->IsSelected() == (arg(2) == "on")) return true;
    return PostClick(found, false);
  }
  if (verb == "pick") {
    int x, y;
    if (!ClickPoint(found, x, y)) return false;
    const std::string& item = arg(2);
    auto matches = [&](int index, CControlUI* element) {
      if (item.size() > 1 && item[0] == '#') return std::atoi(item.c_str() + 1) == index;
      return (element && (element->GetName() == item || ElementText(element) == item));
    };
    if (auto* combo = dynamic_cast<CComboUI*>(control)) {
      for (int i = 0; i < combo->GetListCount(); ++i)
        if (matches(i, combo->GetItemAt(i))) {
          QMetaObject::invokeMethod(this, [combo, i, manager = found.manager, name] {
            if (StillThere(manager, combo, name)) combo->SelectItem(i, true);
          }, Qt::QueuedConnection);
          return true;
        }
      return Fail(name + " has no item " + item);
    }
    if (auto* list = dynamic_cast<CListUI*>(control)) {
      for (int i = 0; i < list->GetListCount(); ++i) {
        CControlUI* element = list->GetListItem(i)->AsControl();
        if (!matches(i, element)) continue;
        if (!element->IsVisible()) return Fail(item + " is not visible");
        QMetaObject::invokeMethod(this, [element, list, manager = found.manager, name] {
          if (StillThere(manager, list, name) && list->GetItemIndex(element) >= 0) element->Activate();
        }, Qt::QueuedConnection);
        return true;
      }
      return Fail(name + " has no item " + item);
    }
    return Fail(name + " is not a combo, list or tree");
  }
  if (verb == "slide") {
    auto* slider = dynamic_cast<CSliderUI*>(control);
    if (!slider) return Fail(name + " is not a slider");
    int x, y;
    if (!ClickPoint(found, x, y)) return false;
    const int value = std::atoi(arg(2).c_str());
    QMetaObject::invokeMethod(this, [slider, value, manager = found.manager, name] {
      if (!StillThere(manager, slider, name)) return;
      // As a drag would: moves, then the release.
      slider->SetValue(value);
      slider->GetManager()->SendNotify(slider, "movevaluechanged");
      slider->GetManager()->SendNotify(slider, "valuechanged");
    }, Qt::QueuedConnection);
    return true;
  }
  if (verb == "key") {
    QString text;
    const int key = QtKey(arg(2), text);
    if (!key) return Fail("unknown key " + arg(2));
    QWidget* target = found.manager->GetPaintWindow();
    if (auto* edit = dynamic_cast<CEditUI*>(control); edit && edit->NativeEdit()) {
      found.manager->SetFocus(edit);
      target = edit->NativeEdit();
    } else if (control->IsFocusable()) {
      found.manager->SetFocus(control);
    }
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
    return true;
  }
  if (verb == "wheel") {
    if (arg(2) != "up" && arg(2) != "down") return Fail("wheel takes up or down");
    const int turns = step.words.size() > 3 ? std::max(1, std::atoi(arg(3).c_str())) : 1;
    int x, y;
    if (!ClickPoint(found, x, y)) return false;
    QWidget* target = found.manager->GetPaintWindow();
    QPointF local(x, y);
    if (auto* edit = dynamic_cast<CEditUI*>(control); edit && edit->NativeEdit()) {
      target = edit->NativeEdit();
      local = QPointF(target->width() / 2.0, target->height() / 2.0);
    }
    const QPointF global = target->mapToGlobal(local);
    for (int i = 0; i < turns; ++i)
      QCoreApplication::postEvent(
          target, new QWheelEvent(local, global, QPoint(), QPoint(0, arg(2) == "up" ? 120 : -120),
                                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false));
    return true;
  }
  if (verb == "expect-text") {
    if (control->GetText() != arg(2))
      return Fail(name + " shows \"" + control->GetText() + "\", not \"" + arg(2) + "\"");
    return true;
  }
  if (verb == "expect-visible") {
    const bool want = arg(2) == "yes";
    if (arg(2) != "yes" && arg(2) != "no") return Fail("expect-visible takes yes or no");
    if (control->IsVisible() != want)
      return Fail(name + (want ? " is hidden" : " is visible"));
    return true;
  }
  if (verb == "expect-state") {
    const std::string& state = arg(2);
    bool ok;
    if (state == "checked" || state == "unchecked") {
      auto* option = dynamic_cast<COptionUI*>(control);
      if (!option) return Fail(name + " is not a check box or option");
      ok = option->IsSelected() == (state == "checked");
    } else if (state == "enabled" || state == "disabled") {
      ok = control->IsEnabled() == (state == "enabled");
    } else {
      return Fail("unknown state " + state + " (checked, unchecked, enabled, disabled)");
    }
    if (!ok) return Fail(name + " is not " + state);
    return true;
  }
  return Fail("unknown command " + verb);
}

}  // namespace velmora::ui
