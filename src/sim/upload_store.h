#pragma once
// Keeps what devices received by YMODEM in the --store folder, named after
// the file name of block 0. The name comes from the other end of a serial
// line, so only its last path component is used, and names that could
// escape the folder or are empty become "upload.bin". Written to a temporary
// name first and renamed, so a reader never sees half a file.

#include <string>

#include "sim/ymodem_receiver.h"

namespace velmora::sim {

std::string SafeUploadName(const std::string& block0_name);

// The path written, or the reason nothing was.
Result<std::string> StoreUpload(const std::string& dir, const ReceivedUpload& upload);

}  // namespace velmora::sim
