#pragma once
// velmora-cli's program, erase and backup: the same runs the window makes, reported on
// standard error, with the exit status scripts rely on (0 only on success).

#include "cli/CliArgs.h"
#include "link/qt/LinkSession.h"

namespace velmora::cli {

int runFirmwareCommand(link::LinkSession& session, const CliArgs& args);

}  // namespace velmora::cli
