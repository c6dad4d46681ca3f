#pragma once
// Bounds-checked access to the record's fixed tables: an index outside a table
// reads as the zero value and is ignored when written. Every index is taken as
// a signed 64-bit number so that a negative channel from any caller is caught.

#include <array>
#include <cstddef>
#include <cstdint>

namespace velmora {

template <typename T, std::size_t N>
T TableGet(const std::array<T, N>& table, std::int64_t i) {
  return i >= 0 && static_cast<std::uint64_t>(i) < N ? table[static_cast<std::size_t>(i)] : T{};
}

template <typename T, std::size_t N, std::size_t M>
T TableGet(const std::array<std::array<T, M>, N>& table, std::int64_t i, std::int64_t j) {
  if (i < 0 || static_cast<std::uint64_t>(i) >= N) return T{};
  return TableGet(table[static_cast<std::size_t>(i)], j);
}

template <typename T, std::size_t N, std::size_t M, std::size_t K>
T TableGet(const std::array<std::array<std::array<T, K>, M>, N>& table, std::int64_t i,
           std::int64_t j, std::int64_t k) {
  if (i < 0 || static_cast<std::uint64_t>(i) >= N) return T{};
  return TableGet(table[static_cast<std::size_t>(i)], j, k);
}

template <typename T, std::size_t N, typename V>
void TableSet(std::array<T, N>& table, std::int64_t i, V value) {
  if (i >= 0 && static_cast<std::uint64_t>(i) < N)
    table[static_cast<std::size_t>(i)] = static_cast<T>(value);
}

template <typename T, std::size_t N, std::size_t M, typename V>
void TableSet(std::array<std::array<T, M>, N>& table, std::int64_t i, std::int64_t j, V value) {
  if (i >= 0 && static_cast<std::uint64_t>(i) < N)
    TableSet(table[static_cast<std::size_t>(i)], j, value);
}

template <typename T, std::size_t N, std::size_t M, std::size_t K, typename V>
void TableSet(std::array<std::array<std::array<T, K>, M>, N>& table, std::int64_t i, std::int64_t j,
              std::int64_t k, V value) {
  if (i >= 0 && static_cast<std::uint64_t>(i) < N)
    TableSet(table[static_cast<std::size_t>(i)], j, k, value);
}

}  // namespace velmora
