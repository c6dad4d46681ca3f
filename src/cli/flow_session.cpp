#include "cli/flow_session.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include <unistd.h>

namespace velmora::cli {

using namespace protocol;

std::atomic<bool>& FlowSession::Interrupted() {
  static std::atomic<bool> interrupted{false};
  return interrupted;
}

FlowSession::FlowSession(CUart& uart, ProgramSettings settings)
    : uart_(uart),
      settings_(std::move(settings)),
      placeholder_(MakePlaceholderRecord()),
      timers_([this](std::uint32_t id) { flows_.OnTimer(id); }),
      flows_(FlowContext{uart_, devices_, placeholder_, settings_, bands_, timers_, *this}),
      progress_on_terminal_(isatty(STDERR_FILENO) == 1) {}

std::string DeviceLine(const DeviceRecord& r) {
  return std::to_string(r.address) + "\t" + r.ChipIdText() + "\t" + r.name + "\t" +
         std::to_string(r.channel_count[0]) + "x" + std::to_string(r.channel_count[1]);
}

bool FlowSession::RunUntil(const std::function<bool()>& done) {
  timers_.RunRealTime([&] {
    if (uart_.TakePortRemoved()) port_lost_ = true;
    return done() || port_lost_ || Interrupted().load();
  });
  if (port_lost_) std::fprintf(stderr, "velmora-cli: the port went away\n");
  return done();
}

bool FlowSession::Scan() {
  ScanMachine& scan = flows_.scan();
  flows_.meters().Stop();
  scan.BeginNewScan();
  if (!uart_.IsOpen()) {
    std::fprintf(stderr, "velmora-cli: None uart device\n");
    return false;
  }
  const auto started = std::chrono::steady_clock::now();
  for (int i = 0; i < 2; ++i) {
    scan.SendScanBegin();
    std::this_thread::sleep_for(std::chrono::milliseconds(ScanMachine::kScanBeginPauseMs));
  }
  if (progress_on_terminal_) std::fprintf(stderr, "Scanning...");
  scan.Start();
  const bool finished = RunUntil([&] { return scan.finished(); });
  scan.Abort();  // an interruption ends the scan where it is
  if (progress_on_terminal_) std::fprintf(stderr, "\r\033[K");
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::fprintf(stderr, "scan: %zu device%s found in %.1f s\n", devices_.size(),
               devices_.size() == 1 ? "" : "s", seconds);
  for (const DeviceRecord& r : devices_) std::fprintf(stderr, "  %s\n", DeviceLine(r).c_str());
  return finished;
}

DeviceRecord* FlowSession::DeviceAt(long address) {
  if (address > 0)
    if (DeviceRecord* r = FindDevice(devices_, static_cast<std::uint32_t>(address))) return r;
  std::fprintf(stderr, "velmora-cli: no device at address %ld", address);
  if (devices_.empty()) std::fprintf(stderr, " (the scan found none)");
  else std::fprintf(stderr, " (the scan found addresses 1 to %zu)", devices_.size());
  std::fprintf(stderr, "\n");
  return nullptr;
}

bool FlowSession::RunSequence(SequenceKind kind, DeviceRecord& device) {
  TransferSequence& sequence = flows_.sequence();
  sequence.Start(kind == SequenceKind::kWriteAll ? kWriteAllPreDelayMs : kSyncPreDelayMs, kind,
                 device);
  if (progress_on_terminal_)
    std::fprintf(stderr, kind == SequenceKind::kWriteAll ? "Writing to device..." : "Synchronize from device...");
  RunUntil([&] { return sequence.done(); });
  if (progress_on_terminal_) std::fprintf(stderr, "\r\033[K");
  flows_.meters().Stop();  // the sequence restarts the poll; the CLI polls only when asked
  return sequence.done() && !sequence.failed();
}

void FlowSession::OnSequenceProgress(SequenceKind kind, int done, int total) {
  if (!progress_on_terminal_) return;
  const char* what = kind == SequenceKind::kWriteAll ? "Writing to device..." : "Synchronize from device...";
  std::fprintf(stderr, "\r\033[K%s %d/%d", what, done, total);
  std::fflush(stderr);
}

void FlowSession::OnMeterReading(const DeviceRecord& record, bool online) {
  const std::size_t position = record.address - 1;
  if (position >= round_seen_.size()) return;
  ++round_seen_[position];
  round_online_[position] = online;
}

void FlowSession::RunMeters(int rounds,
                            const std::function<void(const DeviceList&, const std::vector<bool>&)>& on_round) {
  if (devices_.empty()) return;
  round_seen_.assign(devices_.size(), 0);
  round_online_.assign(devices_.size(), false);
  int done_rounds = 0;
  flows_.meters().Start();
  RunUntil([&] {
    bool complete = true;
    for (int seen : round_seen_) complete = complete && seen > 0;
    if (complete) {
      on_round(devices_, round_online_);
      round_seen_.assign(devices_.size(), 0);
      ++done_rounds;
    }
    return rounds > 0 && done_rounds >= rounds;
  });
  flows_.meters().Stop();
}

}  // namespace velmora::cli
