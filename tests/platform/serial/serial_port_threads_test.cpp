#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/serial/serial_port.h"
#include "pty_pair.h"

namespace velmora {
namespace {

using testing::PtyPair;

// The user-interface thread opens and closes while an engine thread reads and
// writes, as a port switch during a transaction does. Under ThreadSanitizer
// this proves the descriptor is never used after it was closed.
TEST(SerialPortThreads, OpenAndCloseWhileAnotherThreadReadsAndWrites) {
  PtyPair pty;
  ASSERT_TRUE(pty.ok());
  CSerialPort port;
  std::atomic<bool> running{true};
  std::atomic<int> cycles{0};
  std::thread engine([&] {
    const std::uint8_t frame[] = {0xA5, 0x06, 0xF7, 0x01, 0xD0, 0xCE};
    std::uint8_t buf[256];
    while (running) {
      if (port.IsOpen()) {
        port.Write(frame);
        port.Read(buf);
      }
      cycles.fetch_add(1, std::memory_order_relaxed);  // relaxed: no ordering that hides a race
      std::this_thread::yield();
    }
  });
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(port.Open(pty.slave_path(), 115200)) << i;
    const int seen = cycles.load(std::memory_order_relaxed);
    while (cycles.load(std::memory_order_relaxed) < seen + 2) std::this_thread::yield();
    port.Close();
    pty.Drain();
  }
  running = false;
  engine.join();
  EXPECT_FALSE(port.IsOpen());
}

}  // namespace
}  // namespace velmora
