#pragma once
// The program settings velmora-cli runs with. Every frame the CLI builds uses
// them, so they are the ones the window reads: the config_ controls of the skin's
// main layout, from the skin.zip beside the CLI. Without a skin there (a build
// without the window) the built-in values stand in; they equal the shipped
// skin's, which a test keeps true.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "model/program_settings.h"
#include "platform/archive/skin_archive.h"

namespace velmora::cli {

ProgramSettings CliProgramSettings();
ProgramSettings BuiltInProgramSettings();

// The folder the CLI's executable is in.
std::filesystem::path ProgramFolder();
// The skin: `given` (a folder or an archive), or else skin.zip beside the CLI.
SkinResult<std::unique_ptr<SkinSource>> OpenCliSkin(const std::optional<std::string>& given);

}  // namespace velmora::cli
