#pragma once
// The open port's name shown at the end of the window title: "Velmora [ttyUSB0]".

#include <string>
#include <string_view>

namespace velmora {

// `text` + " [" + name + "]".
std::string WithPortSuffix(std::string_view text, std::string_view name);

// The text without its port suffix: cut at the last space that opens a suffix.
// A text that carries no suffix (one that does not end with ']') is returned
// whole, so a title set afresh, for instance by a change of language, keeps
// its words.
std::string WithoutPortSuffix(std::string_view text);

}  // namespace velmora
