// velmora-bench-paramfile: writes and reads the parameter file of an 8 x 8
// device (about 2,900 keys) and prints the time of each; the goal is under
// 20 ms each. Rewriting the file once per key would take seconds. A write
// includes the one fsync that makes the atomic replace durable; run with
// TMPDIR=/dev/shm to see the processing time alone.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "model/parameter_file.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main() {
  using namespace velmora;
  std::string pattern = (std::filesystem::temp_directory_path() / "velmora-bench-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) {
    std::perror("velmora-bench-paramfile: temporary folder");
    return 1;
  }
  const std::filesystem::path folder = pattern;
  const std::filesystem::path path = folder / "bench.ini";

  DeviceRecord source(1, std::nullopt, 8, 8, "bench");
  for (int s = 0; s < 2; ++s)
    for (int c = 0; c < 8; ++c)
      for (int b = 0; b < 31; ++b)
        source.SetEqualizerGain(s, c, b, (s * 1000 + c * 31 + b) % 2400 - 1200);

  constexpr int kRounds = 15;
  std::vector<double> write_ms, first_write_ms, read_ms;
  for (int i = 0; i < kRounds; ++i) {
    std::filesystem::remove(path);
    auto t0 = Clock::now();
    if (!WriteParameterFile(&source, path).ok) return 1;
    first_write_ms.push_back(Milliseconds(Clock::now() - t0));

    t0 = Clock::now();  // over the existing file: every key replaced in place
    if (!WriteParameterFile(&source, path).ok) return 1;
    write_ms.push_back(Milliseconds(Clock::now() - t0));

    DeviceRecord target(1, std::nullopt, 8, 8, "target");
    t0 = Clock::now();
    if (!ReadParameterFile(&target, path).status.ok) return 1;
    read_ms.push_back(Milliseconds(Clock::now() - t0));
  }
  const auto size = std::filesystem::file_size(path);
  std::filesystem::remove_all(folder);

  std::printf("8 x 8 parameter file, %ju bytes, median of %d rounds (goal < 20 ms each)\n",
              static_cast<std::uintmax_t>(size), kRounds);
  std::printf("  write (new file)      %8.3f ms\n", Median(first_write_ms));
  std::printf("  write (over the file) %8.3f ms\n", Median(write_ms));
  std::printf("  (writes include one fsync of %s)\n", folder.parent_path().c_str());
  std::printf("  read                  %8.3f ms\n", Median(read_ms));
  return 0;
}
