#pragma once
// The one rule for every user-visible text: English when the language is not 0,
// Chinese otherwise. The window's full text tables join this later; the shell's
// own messages pick their texts here.

#include <cstdint>
#include <string>

namespace velmora {

inline std::string Text(std::int32_t language, const char* english, const char* chinese) {
  return language != 0 ? english : chinese;
}

}  // namespace velmora
