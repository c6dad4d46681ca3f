#pragma once
// The records of the devices found by the last scan, in scan order: the record
// at position p has address p + 1. Beside the list the main window keeps the
// placeholder record, shown when the list is empty.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "model/device_record.h"

namespace velmora {

using DeviceList = std::vector<DeviceRecord>;

inline constexpr std::string_view kPlaceholderName = "offline";

// Address 0, no chip identifier, 8 inputs, 8 outputs, named "offline".
DeviceRecord MakePlaceholderRecord();

// The band counts the main window read from its EQ graphs (31 each by default).
struct BandCounts {
  std::uint32_t inputs = 31;
  std::uint32_t outputs = 31;
};

// Builds the record of a device that answered the scan and appends it:
// address = records already in the list + 1; a band count above 31 leaves the
// record's default. Returns the new record.
DeviceRecord& AppendDiscoveredDevice(DeviceList& list, const ChipId& chip, std::uint32_t inputs,
                                     std::uint32_t outputs, std::string_view name,
                                     BandCounts bands);

// The record the pages work on. `selected` is the 1-based index of the item
// selected in the device tree (anything else, such as 0 or -1, means none).
// Returns the selected record; the placeholder when the list is empty; nullptr
// when devices exist but none is selected.
DeviceRecord* CurrentDevice(DeviceList& list, DeviceRecord& placeholder, std::int64_t selected);
const DeviceRecord* CurrentDevice(const DeviceList& list, const DeviceRecord& placeholder,
                                  std::int64_t selected);

// The record with that address; the last one when several have it.
DeviceRecord* FindDevice(DeviceList& list, std::uint32_t address);
const DeviceRecord* FindDevice(const DeviceList& list, std::uint32_t address);

}  // namespace velmora
