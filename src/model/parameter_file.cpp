#include "model/parameter_file.h"

#include <cstdint>
#include <string>

#include "model/number_text.h"
#include "platform/profile/profile_document.h"

namespace velmora {

namespace {

constexpr std::size_t kValueBuffer = 260;

// The address of a table element, or nullptr when an index lies outside the
// table. The constness of the pointer follows the table's.
template <typename Array>
auto Slot(Array& table, std::int64_t i) -> decltype(&table[0]) {
  return i >= 0 && static_cast<std::uint64_t>(i) < table.size()
             ? &table[static_cast<std::size_t>(i)]
             : nullptr;
}
template <typename Array>
auto Slot(Array& table, std::int64_t i, std::int64_t j) -> decltype(&table[0][0]) {
  const auto row = Slot(table, i);
  return row ? Slot(*row, j) : nullptr;
}
template <typename Array>
auto Slot(Array& table, std::int64_t i, std::int64_t j, std::int64_t k)
    -> decltype(&table[0][0][0]) {
  const auto row = Slot(table, i);
  return row ? Slot(*row, j, k) : nullptr;
}

std::string Name(const char* prefix, std::int64_t n) { return prefix + std::to_string(n); }

enum class Rule { kPlain, kInputBandType };

// Every key of a parameter file, in file order, with the record member it
// holds: visit(section, key, pointer-or-null, rule). Writing and reading both
// walk this one list, so they cannot disagree on a name or on the order.
template <typename Record, typename Visit>
void WalkParameterFile(Record& r, Visit&& visit) {
  const auto bands = [&](const std::string& section, int side, std::int64_t c) {
    const Rule type_rule = side == kSideInput ? Rule::kInputBandType : Rule::kPlain;
    for (std::int64_t b = 0; b < r.equalizer_band_count[static_cast<std::size_t>(side)]; ++b) {
      visit(section, Name("equalizer_enable_", b), Slot(r.equalizer_enable, side, c, b),
            Rule::kPlain);
      visit(section, Name("equalizer_frequence_", b), Slot(r.equalizer_frequence, side, c, b),
            Rule::kPlain);
      visit(section, Name("equalizer_gain_", b), Slot(r.equalizer_gain, side, c, b), Rule::kPlain);
      visit(section, Name("equalizer_q_", b), Slot(r.equalizer_q, side, c, b), Rule::kPlain);
      visit(section, Name("equalizer_type_", b), Slot(r.equalizer_type, side, c, b), type_rule);
    }
  };
  const Rule plain = Rule::kPlain;

  for (std::int64_t c = 0; c < r.channel_count[0]; ++c) {
    const std::string s = Name("input ", c);
    visit(s, "gain", Slot(r.gain, kSideInput, c), plain);
    visit(s, "mute", Slot(r.mute, kSideInput, c), plain);
    visit(s, "polarity", Slot(r.polarity, kSideInput, c), plain);
    visit(s, "delay", Slot(r.delay, kSideInput, c), plain);
    visit(s, "delay_enable", Slot(r.delay_enable, kSideInput, c), plain);
    visit(s, "noise_gate_enable", Slot(r.noise_gate_enable, c), plain);
    visit(s, "noise_gate_release_gate", Slot(r.noise_gate_release_gate, c), plain);
    visit(s, "noise_gate_release_time", Slot(r.noise_gate_release_time, c), plain);
    visit(s, "noise_gate_start_gate", Slot(r.noise_gate_start_gate, c), plain);
    visit(s, "noise_gate_start_time", Slot(r.noise_gate_start_time, c), plain);
    bands(s, kSideInput, c);
  }

  for (std::int64_t c = 0; c < r.channel_count[1]; ++c) {
    const std::string s = Name("output ", c);
    visit(s, "gain", Slot(r.gain, kSideOutput, c), plain);
    visit(s, "mute", Slot(r.mute, kSideOutput, c), plain);
    visit(s, "polarity", Slot(r.polarity, kSideOutput, c), plain);
    visit(s, "delay", Slot(r.delay, kSideOutput, c), plain);
    visit(s, "delay_enable", Slot(r.delay_enable, kSideOutput, c), plain);
    visit(s, "compressor_enable", Slot(r.compressor_enable, c), plain);
    visit(s, "compressor_ratio", Slot(r.compressor_ratio, c), plain);
    visit(s, "compressor_release_time", Slot(r.compressor_release_time, c), plain);
    visit(s, "compressor_start_gate", Slot(r.compressor_start_gate, c), plain);
    visit(s, "compressor_start_time", Slot(r.compressor_start_time, c), plain);
    visit(s, "limit_enable", Slot(r.limit_enable, c), plain);
    visit(s, "limit_release_time", Slot(r.limit_release_time, c), plain);
    visit(s, "limit_start_gate", Slot(r.limit_start_gate, c), plain);
    visit(s, "filter_low_pass_enable", Slot(r.filter_enable, kSideOutput, c, kLowPass), plain);
    visit(s, "filter_low_pass_frequence", Slot(r.filter_frequence, kSideOutput, c, kLowPass),
          plain);
    visit(s, "filter_low_pass_slope", Slot(r.filter_slope, kSideOutput, c, kLowPass), plain);
    visit(s, "filter_low_pass_type", Slot(r.filter_type, kSideOutput, c, kLowPass), plain);
    visit(s, "filter_high_pass_enable", Slot(r.filter_enable, kSideOutput, c, kHighPass), plain);
    visit(s, "filter_high_pass_frequence", Slot(r.filter_frequence, kSideOutput, c, kHighPass),
          plain);
    visit(s, "filter_high_pass_slope", Slot(r.filter_slope, kSideOutput, c, kHighPass), plain);
    visit(s, "filter_high_pass_type", Slot(r.filter_type, kSideOutput, c, kHighPass), plain);
    bands(s, kSideOutput, c);
  }

  for (std::int64_t i = 0; i < r.channel_count[0]; ++i) {
    for (std::int64_t o = 0; o < r.channel_count[1]; ++o) {
      const std::string key = "in_" + std::to_string(i) + "_out_" + std::to_string(o);
      visit("router", key, Slot(r.router, i, o), plain);
      visit("router", key + "_enable", Slot(r.router_enable, i, o), plain);
    }
  }
}

bool LooksLikeParameterFile(const profile::ProfileDocument& document) {
  for (const std::string& name : document.SectionNames()) {
    const std::string folded = profile::FoldCase(name);
    if (folded == "router" || folded.starts_with("input ") || folded.starts_with("output "))
      return true;
  }
  return false;
}

}  // namespace

profile::Status WriteParameterFile(const DeviceRecord* record, const std::filesystem::path& path) {
  if (!record || path.empty()) return profile::Status::Ok();
  profile::ProfileSession session(path);
  // An existing file that cannot be read is left alone rather than replaced.
  if (!session.open_status().ok) return session.open_status();

  WalkParameterFile(*record, [&](const std::string& section, const std::string& key,
                                 const auto* member, Rule rule) {
    std::int32_t value = member ? static_cast<std::int32_t>(*member) : 0;
    if (rule == Rule::kInputBandType && value == kEqPeaking) value = 0;
    session.WriteString(section, key, std::to_string(value));
  });
  return session.Commit();
}

ParameterFileRead ReadParameterFile(DeviceRecord* record, const std::filesystem::path& path) {
  ParameterFileRead result;
  if (!record) return result;
  profile::ProfileSession session(path);
  if (!session.open_status().ok) {
    result.status = session.open_status();
    return result;
  }
  if (!session.file_existed()) {
    result.status = profile::Status::Fail("cannot open " + path.string() + ": no such file");
    return result;
  }
  if (!LooksLikeParameterFile(session.document())) {
    result.status = profile::Status::Fail(path.string() + " is not a parameter file");
    return result;
  }

  WalkParameterFile(*record, [&](const std::string& section, const std::string& key, auto* member,
                                 Rule rule) {
    const DecimalValue number = StandardDecimal(session.GetString(section, key, "0", kValueBuffer));
    if (number.clamped) ++result.clamped_values;
    if (!member) return;
    std::int32_t value = number.value;
    if (rule == Rule::kInputBandType && value == 0) value = kEqPeaking;
    using Member = std::remove_pointer_t<decltype(member)>;
    if constexpr (std::is_same_v<Member, bool>)
      *member = value != 0;
    else
      *member = value;
  });
  return result;
}

}  // namespace velmora
