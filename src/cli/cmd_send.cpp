// velmora-cli send: one frame through the link engine's queue, its reply printed.
#include <chrono>
#include <cstdio>
#include <thread>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/hex.h"
#include "cli/link_session.h"

namespace velmora::cli {

namespace {
const Command* Self() { return FindCommand("send"); }

// Length byte and checksum computed from the bytes given: header, a placeholder
// length, class, address, opcode and payload.
std::optional<Bytes> FillFrame(Bytes bytes, std::string& error) {
  if (bytes.size() < kMinFrameLength - 1) {
    error = "--fill needs at least header, length, class, address and opcode";
    return std::nullopt;
  }
  if (bytes.size() + 1 > kMaxFrameLength) {
    error = "a frame holds at most 255 bytes";
    return std::nullopt;
  }
  bytes.push_back(0);
  bytes[kOffLength] = static_cast<std::uint8_t>(bytes.size());
  bytes.back() = FrameChecksum(bytes);
  return bytes;
}
}  // namespace

int RunSend(int argc, char** argv) {
  const ParseResult parsed = ParseArgs(argc, argv, 1, {{"port", "baud"}, {"fill"}});
  if (!parsed.error.empty()) return UsageError(Self(), parsed.error);
  const Args& args = parsed.args;
  LineOptions line;
  std::string error;
  if (!ReadLineOptions(args, line, error)) return UsageError(Self(), error);
  if (args.positionals.empty()) return UsageError(Self(), "no bytes to send");

  std::optional<Bytes> frame = ParseHexBytes(args.positionals);
  if (!frame) return UsageError(Self(), "bytes are written as hexadecimal pairs, such as A5 06 F2");
  if (args.has("fill")) {
    frame = FillFrame(std::move(*frame), error);
    if (!frame) return UsageError(Self(), error);
  } else if (frame->size() < 2 || (*frame)[kOffLength] != frame->size()) {
    return UsageError(Self(), "the length byte does not match the " + std::to_string(frame->size()) +
                                  " bytes given (--fill computes it)");
  }
  if ((*frame)[0] != kFrameHeader) return UsageError(Self(), "a frame starts with A5");

  auto uart = OpenLink(line);
  if (!uart) return kExitFailed;
  uart->Enqueue(*frame);
  // The send loop holds the queue lock from taking the frame off until its
  // transaction (retry included) is over, so an empty queue means it is done.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!uart->IsSendQueueEmpty() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));

  if (const auto reply = uart->PopReply())
    std::printf("%s\n", FormatHexBytes(*reply).c_str());
  else
    std::printf("no reply\n");
  return kExitOk;
}

}  // namespace velmora::cli
