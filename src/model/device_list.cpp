#include "model/device_list.h"

namespace velmora {

DeviceRecord MakePlaceholderRecord() {
  return DeviceRecord(0, std::nullopt, 8, 8, kPlaceholderName);
}

DeviceRecord& AppendDiscoveredDevice(DeviceList& list, const ChipId& chip, std::uint32_t inputs,
                                     std::uint32_t outputs, std::string_view name,
                                     BandCounts bands) {
  DeviceRecord record(static_cast<std::uint32_t>(list.size() + 1), chip, inputs, outputs, name);
  if (bands.inputs <= kBands) record.equalizer_band_count[0] = bands.inputs;
  if (bands.outputs <= kBands) record.equalizer_band_count[1] = bands.outputs;
  list.push_back(std::move(record));
  return list.back();
}

namespace {
template <typename List, typename Record>
Record* Current(List& list, Record& placeholder, std::int64_t selected) {
  if (selected >= 1 && static_cast<std::uint64_t>(selected) <= list.size())
    return &list[static_cast<std::size_t>(selected - 1)];
  return list.empty() ? &placeholder : nullptr;
}

template <typename List>
auto Find(List& list, std::uint32_t address) -> decltype(&list.front()) {
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (it->address == address) return &*it;
  return nullptr;
}
}  // namespace

DeviceRecord* CurrentDevice(DeviceList& list, DeviceRecord& placeholder, std::int64_t selected) {
  return Current(list, placeholder, selected);
}
const DeviceRecord* CurrentDevice(const DeviceList& list, const DeviceRecord& placeholder,
                                  std::int64_t selected) {
  return Current(list, placeholder, selected);
}

DeviceRecord* FindDevice(DeviceList& list, std::uint32_t address) { return Find(list, address); }
const DeviceRecord* FindDevice(const DeviceList& list, std::uint32_t address) {
  return Find(list, address);
}

}  // namespace velmora
