#pragma once
// The options each command of velmora-cli takes, in one table. The general options
// (--port, --speed, --flow, --log) go with every command and are not listed. An option
// a command does not take is refused, never passed over: `backup ... --verify` must not
// look like a backup that was verified.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::cli {

struct OptionRule {
    std::string_view name;
    bool takesValue;
};

// The general options; nothing for any other word.
std::optional<OptionRule> generalOption(std::string_view word);

// The rule of an option some command takes; nothing for a word no command knows.
std::optional<OptionRule> commandOption(std::string_view word);

// True for a command name of the table.
bool isKnownCommand(std::string_view command);

// The refusal of `option` given to `command` ("backup does not take --verify (it takes
// --slave, --flash-bottom)"), or nothing when the command takes it.
std::optional<std::string> foreignOption(std::string_view command, std::string_view option);

// The same over a command's own words: the first option there that belongs to another
// command is refused; values are passed over, and general options and words no command
// knows are left to the command's own parser.
std::optional<std::string> foreignOptionIn(std::string_view command,
                                           const std::vector<std::string>& words);

}  // namespace velmora::cli
