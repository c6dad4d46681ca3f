// Uploads through the link engine into lrzsz's rb, a real YMODEM receiver,
// over a pseudo-terminal pair.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "link/uart.h"
#include "pty_pair.h"
#include "scripted_peer.h"
#include "test_port.h"

namespace velmora {
namespace {

namespace fs = std::filesystem;
using testing::ScriptedPeer;

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ScratchDir {
 public:
  explicit ScratchDir(const std::string& tag) {
    path_ = fs::temp_directory_path() / ("velmora-" + tag + "-" + std::to_string(::getpid()));
    fs::remove_all(path_);
    fs::create_directories(path_ / "out");
  }
  ~ScratchDir() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// rb reading and writing the pty master, saving into `dir`.
class Receiver {
 public:
  Receiver(int master, const fs::path& dir) {
    pid_ = ::fork();
    if (pid_ == 0) {
      if (::chdir(dir.c_str()) != 0) ::_exit(126);
      ::dup2(master, 0);
      ::dup2(master, 1);
      const char* log = ::getenv("VELMORA_RB_LOG");  // rb's own account, when debugging
      const int err = ::open(log ? log : "/dev/null", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(err, 2);
      if (log) ::execlp("rb", "rb", "--ymodem", "-b", "-y", "-vv", static_cast<char*>(nullptr));
      ::execlp("rb", "rb", "--ymodem", "-b", "-y", "-q", static_cast<char*>(nullptr));
      ::_exit(127);
    }
  }
  // rb waits for another file after the EOT; end it once the sender is done.
  ~Receiver() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }

 private:
  pid_t pid_ = -1;
};

Bytes Pattern(std::size_t size) {
  Bytes bytes(size);
  std::uint32_t x = 12345;
  for (auto& b : bytes) b = static_cast<std::uint8_t>((x = x * 1103515245 + 12345) >> 16);
  return bytes;
}

class UploadIntoRb : public ::testing::TestWithParam<std::size_t> {};

TEST_P(UploadIntoRb, FileArrivesByteIdentical) {
  ScratchDir dir("rb");
  const Bytes content = Pattern(GetParam());
  const fs::path source = dir.path() / "image.bin";
  std::ofstream(source, std::ios::binary)
      .write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));

  testing::PtyPair pty;
  CUart uart(testing::MakeSerialPort());
  ASSERT_TRUE(uart.Open(pty.slave_path(), 115200));
  Receiver rb(pty.master(), dir.path() / "out");

  ASSERT_TRUE(uart.StartUpload(source.string(), 1, UploadKind::kFirmware));
  ASSERT_TRUE(ScriptedPeer::WaitUntil([&] { return !uart.IsUploading(); }, std::chrono::seconds(120)));
  ASSERT_EQ(uart.upload_result(), upload_result::kSent);
  EXPECT_EQ(ReadFile(dir.path() / "out" / "image.bin"), content);
}

// 300,000 bytes need 293 blocks: the block number wraps past 255.
INSTANTIATE_TEST_SUITE_P(Sizes, UploadIntoRb, ::testing::Values(0, 1, 1024, 1025, 300000));

TEST(UploadOverPty, ADeviceThatNeverSendsCEndsWithTheReadyFailureAndTheLineResumes) {
  ScratchDir dir("silent");
  const fs::path source = dir.path() / "fw.bin";
  std::ofstream(source) << "firmware";

  testing::PtyPair pty;
  CUart uart(testing::MakeSerialPort());
  ASSERT_TRUE(uart.Open(pty.slave_path(), 115200));
  ASSERT_TRUE(uart.StartUpload(source.string(), 2, UploadKind::kFirmware));
  ASSERT_TRUE(ScriptedPeer::WaitUntil([&] { return !uart.IsUploading(); }, std::chrono::seconds(30)));
  EXPECT_EQ(uart.upload_result(), upload_result::kNoReadyByte);

  // The send loop owns the line again: a queued frame reaches the device.
  const Bytes frame = CommandFrame(FrameClass::kWrite, 2, 0x21).Le16(7).Finish();
  uart.Enqueue(frame);
  Bytes seen;
  const Bytes mode = CommandFrame(FrameClass::kWrite, 2, 0xD0).Finish();
  Bytes expected = mode;
  expected.insert(expected.end(), frame.begin(), frame.end());
  ASSERT_TRUE(ScriptedPeer::WaitUntil([&] {
    std::uint8_t buffer[64];
    pollfd p{pty.master(), POLLIN, 0};
    if (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
      const ssize_t n = ::read(pty.master(), buffer, sizeof buffer);
      if (n > 0) seen.insert(seen.end(), buffer, buffer + n);
    }
    return seen.size() >= expected.size();
  }));
  EXPECT_EQ(seen, expected);
}

}  // namespace
}  // namespace velmora
