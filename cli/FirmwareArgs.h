#pragma once
// The words of the firmware commands: program, erase, backup.

#include <string>
#include <vector>

#include "cli/CliArgs.h"

namespace velmora::cli {

bool isFirmwareCommand(const std::string& word);
// `words` starts with the command's name. Fills out.firmware and out.command.
bool parseFirmwareCommand(const std::vector<std::string>& words, CliArgs& out, std::string& error);

}  // namespace velmora::cli
