#include "platform/serial/port_selection.h"

#include "platform/serial/port_label.h"

namespace velmora {

PortSelection::PortSelection(Port& port, TitleLabel label, int baud)
    : port_(port), label_(std::move(label)), baud_(baud) {}

ProbeReport PortSelection::ProbePorts(const std::vector<std::string>& candidates) {
  ProbeReport report;
  DropTitleSuffix();
  port_.Close();
  open_name_.clear();
  present_.clear();
  std::string first;
  for (const std::string& name : candidates) {
    const OpenResult result = port_.Open(name, baud_);
    if (!result) {
      report.refused.emplace_back(name, result);
      continue;
    }
    port_.Close();
    if (first.empty()) first = name;
    present_.insert(name);
  }
  if (first.empty()) return report;

  const OpenResult result = port_.Open(first, baud_);
  if (!result) {
    report.refused.emplace_back(first, result);
    return report;
  }
  open_name_ = first;
  ShowInTitle(first);
  report.opened = first;
  return report;
}

ProbeReport PortSelection::ProbePorts(const PortSource& source) {
  return ProbePorts(source.explicit_ports.empty() ? EnumeratePorts(source.roots)
                                                  : source.explicit_ports);
}

OpenResult PortSelection::SwitchPort(const std::string& name) {
  // The suffix goes even when the port already closed itself after a removal;
  // otherwise the title would end up with two.
  DropTitleSuffix();
  port_.Close();
  open_name_.clear();
  const OpenResult result = port_.Open(name, baud_);
  if (result) {
    open_name_ = name;
    ShowInTitle(name);
  }
  return result;
}

void PortSelection::OnPortArrived(const std::string& name) { present_.insert(name); }

void PortSelection::OnPortRemoved(const std::string& name) {
  if (!name.empty() && name == titled_name_) DropTitleSuffix();
  if (!name.empty() && name == open_name_) {
    port_.Close();
    open_name_.clear();
  }
  present_.erase(name);
}

std::string PortSelection::OpenPortName() const {
  return port_.IsOpen() ? open_name_ : std::string();
}

void PortSelection::DropTitleSuffix() {
  if (titled_name_.empty()) return;
  if (label_.text && label_.set_text) label_.set_text(WithoutPortSuffix(label_.text()));
  titled_name_.clear();
}

void PortSelection::ShowInTitle(const std::string& name) {
  if (label_.text && label_.set_text) label_.set_text(WithPortSuffix(label_.text(), name));
  titled_name_ = name;
}

}  // namespace velmora
