#pragma once
// The program settings velmora-cli runs with. Every frame the CLI builds uses
// them, so they must be the ones the window reads from its layout; until the
// CLI reads the skin, this is the one place that holds them.

#include "model/program_settings.h"

namespace velmora::cli {

ProgramSettings CliProgramSettings();

}  // namespace velmora::cli
