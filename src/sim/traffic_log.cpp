#include "sim/traffic_log.h"

namespace velmora::sim {

TrafficLog::~TrafficLog() {
  if (file_) std::fclose(file_);
}

bool TrafficLog::Open(const std::string& path) {
  if (file_) std::fclose(file_);
  file_ = std::fopen(path.c_str(), "a");
  return file_ != nullptr;
}

std::string HexBytes(ByteView bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 3);
  for (std::uint8_t b : bytes) {
    if (!text.empty()) text += ' ';
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

void TrafficLog::Frame(Micros now, const char* direction, const std::string& device,
                       const std::string& what, ByteView bytes) {
  if (!file_) return;
  std::fprintf(file_, "%12.3f  %-5s  %-4s  %-26s  %s\n", static_cast<double>(now) / 1000.0, direction,
               device.c_str(), what.c_str(), HexBytes(bytes).c_str());
  std::fflush(file_);
}

void TrafficLog::Note(Micros now, const std::string& device, const std::string& text) {
  if (!file_) return;
  std::fprintf(file_, "%12.3f  %-5s  %-4s  %s\n", static_cast<double>(now) / 1000.0, "note",
               device.c_str(), text.c_str());
  std::fflush(file_);
}

}  // namespace velmora::sim
