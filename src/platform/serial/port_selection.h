#pragma once
// Which port the console uses: the probe at start-up, the switch on request
// (settings dialog, a port that arrived) and the removal of a port that went
// away. It keeps the set of present port names, sorted by plain string
// comparison, and the port suffix of the window title, which it reaches through
// a text callback so that it needs no window.
//
// Threads: user-interface thread only. The port's own open flag is atomic, so
// the link engine's threads may test it meanwhile.

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/serial/port.h"
#include "platform/serial/port_enumeration.h"

namespace velmora {

// Access to the title label's text.
struct TitleLabel {
  std::function<std::string()> text;
  std::function<void(const std::string&)> set_text;
};

// What the probe did: the port it opened (empty when none) and why the others
// could not be opened, for a front end that wants to say so.
struct ProbeReport {
  std::string opened;
  std::vector<std::pair<std::string, OpenResult>> refused;
};

class PortSelection {
 public:
  PortSelection(Port& port, TitleLabel label, int baud = 115200);

  void SetBaud(int baud) { baud_ = baud; }
  int baud() const { return baud_; }

  // Tries each candidate in order (closing it again), replaces the set of present
  // ports with those that opened and opens the first one found; on success the
  // title gets its port suffix.
  ProbeReport ProbePorts(const std::vector<std::string>& candidates);
  // The same over the explicit ports of `source` as given, or else the system's
  // enumeration in probe order.
  ProbeReport ProbePorts(const PortSource& source);

  // Closes the open port (dropping the title's suffix) and opens `name`. When the
  // new port fails no port is left open and the title shows none.
  OpenResult SwitchPort(const std::string& name);

  // The hot-plug events: an arrived port joins the present set (asking whether
  // to switch to it is the window's business); a removed port leaves it, and if
  // it is the one in use it is closed and its suffix dropped, also when the port
  // has already closed itself on noticing the removal.
  void OnPortArrived(const std::string& name);
  void OnPortRemoved(const std::string& name);

  const std::set<std::string>& present_ports() const { return present_; }
  // The open port's name; empty when no port is open.
  std::string OpenPortName() const;
  // The name of the port this selection opened last, also after that port closed
  // itself on noticing its removal (the owner then runs the removal with it).
  const std::string& opened_name() const { return open_name_; }

 private:
  void DropTitleSuffix();
  void ShowInTitle(const std::string& name);

  Port& port_;
  TitleLabel label_;
  int baud_;
  std::set<std::string> present_;
  std::string open_name_;    // the name this selection opened last
  std::string titled_name_;  // the name whose suffix the title carries
};

}  // namespace velmora
