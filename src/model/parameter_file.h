#pragma once
// Parameter files: a device's whole processing set-up (every channel parameter
// and the routing matrix; not its identity, names or presets) as an INI text
// with the sections "input %d", "output %d" and "router".

#include <cstddef>
#include <filesystem>

#include "model/device_record.h"
#include "platform/profile/profile_file.h"

namespace velmora {

// Writes every section and key, in file order, into `path`; keys already in the
// file are replaced in place and everything else in it is kept. The file is
// written once, at the end. Nothing is done for a null record or an empty path.
profile::Status WriteParameterFile(const DeviceRecord* record, const std::filesystem::path& path);

struct ParameterFileRead {
  profile::Status status;
  std::size_t clamped_values = 0;  // numbers beyond 32 bits, clamped to the range
};

// Reads every section and key, in file order, into the record; a missing key
// reads as 0 (an input band's type then as 1). A file that cannot be opened, or
// holds no "input %d", "output %d" or "router" section at all, is refused and
// leaves the record unchanged. Nothing is done for a null record.
ParameterFileRead ReadParameterFile(DeviceRecord* record, const std::filesystem::path& path);

}  // namespace velmora
