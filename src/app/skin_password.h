#pragma once
// The skin archive's password. The build packs skin.zip with it (skin/CMakeLists.txt
// reads it from this line) and the program opens the archive with it. Keep it on
// one line of the form below: seven lowercase letters.

namespace velmora {
inline constexpr char kSkinPassword[] = "quillon";
}  // namespace velmora
