// velmora-cli upload: one image to one device through the upload thread.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "cli/args.h"
#include "cli/command.h"
#include "cli/link_session.h"

namespace velmora::cli {

namespace {
const char* DescribeUploadResult(int result) {
  switch (result) {
    case upload_result::kSent: return "sent";
    case upload_result::kModeCommandFailed: return "the mode command was not written";
    case upload_result::kFileNotOpened: return "the file did not open";
    case upload_result::kNoReadyByte: return "the device did not send 'C'";
    case upload_result::kBlockNotWritten: return "a block was not written, or the file could not be read";
    case upload_result::kNoAck: return "the device did not acknowledge";
    case upload_result::kEotNotWritten: return "the end of transfer was not written";
    default: return "unknown result";
  }
}
}  // namespace

int RunUpload(int argc, char** argv) {
  const Command* self = FindCommand("upload");
  const ParseResult parsed = ParseArgs(argc, argv, 1, {{"port", "baud", "address", "kind"}, {}});
  if (!parsed.error.empty()) return UsageError(self, parsed.error);
  const Args& args = parsed.args;
  LineOptions line;
  std::string error;
  if (!ReadLineOptions(args, line, error)) return UsageError(self, error);

  const auto address_text = args.value("address");
  if (!address_text) return UsageError(self, "--address is required");
  const auto address = ParseNumber(*address_text, 1, 255);
  if (!address) return UsageError(self, "--address must be a device address from 1 to 255");

  UploadKind kind = UploadKind::kFirmware;
  if (const auto kind_text = args.value("kind")) {
    if (*kind_text == "parameters") kind = UploadKind::kParameters;
    else if (*kind_text != "firmware") return UsageError(self, "--kind is firmware or parameters");
  }
  if (args.positionals.size() != 1) return UsageError(self, "name exactly one FILE");
  const std::string& file = args.positionals[0];

  auto uart = OpenLink(line);
  if (!uart) return kExitFailed;
  if (!uart->StartUpload(file, static_cast<std::uint8_t>(*address), kind)) {
    std::fprintf(stderr, "velmora-cli: cannot read %s: %s\n", file.c_str(), std::strerror(errno));
    std::printf("result %d\n", uart->upload_result());
    return kExitFailed;
  }

  const bool terminal = ::isatty(STDOUT_FILENO);
  int shown = -1;
  while (uart->IsUploading()) {
    const int percent = uart->UploadPercent();
    if (terminal && percent != shown) {
      std::printf("\rupload %3d%%", percent);
      std::fflush(stdout);
      shown = percent;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  const int result = uart->upload_result();
  if (terminal) std::printf("\rupload %3d%%\n", result == upload_result::kSent ? 100 : std::max(shown, 0));
  std::printf("result %d\n", result);
  if (result != upload_result::kSent)
    std::fprintf(stderr, "velmora-cli: upload failed: %s\n", DescribeUploadResult(result));
  return result == upload_result::kSent ? kExitOk : kExitFailed;
}

}  // namespace velmora::cli
