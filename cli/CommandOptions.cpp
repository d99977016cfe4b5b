#include "cli/CommandOptions.h"

#include <array>

namespace velmora::cli {

namespace {

struct CommandRule {
    std::string_view command;
    std::vector<OptionRule> options;
};

constexpr OptionRule kSlave{"--slave", true};
constexpr OptionRule kFlashBottom{"--flash-bottom", true};
constexpr OptionRule kSymbols{"--symbols", true};

const std::array<OptionRule, 4> kGeneral = {{
    {"--port", true}, {"--speed", true}, {"--flow", true}, {"--log", false}}};

const std::vector<CommandRule> kCommands = {
    {"ports", {}},
    {"trans", {kSlave, {"--retries", true}, {"--data", true}}},
    {"program", {kSlave, {"--shift", true}, {"--verify", false}, kFlashBottom}},
    {"erase", {kSlave, kFlashBottom}},
    {"backup", {kSlave, kFlashBottom}},
    {"ident", {kSlave}},
    {"setlink", {}},
    {"dump", {kSlave, {"--pages", true}, kSymbols}},
    {"sfr", {kSlave}},
    {"poke", {kSlave}},
    {"scan", {{"--nodes", true}}},
    {"init", {}},
    {"send", {{"--crc-hi", false}, {"--wait", true}}},
    {"test", {{"--once", false}, {"--period", true}, {"--log", true}}},
    {"watch", {kSlave, {"--period", true}, kSymbols, {"--csv", true}}},
    {"decode", {{"--crc-hi", false}}},
    {"symbols", {}},
};

const CommandRule* find(std::string_view command) {
    for (const CommandRule& c : kCommands)
        if (c.command == command) return &c;
    return nullptr;
}

std::optional<OptionRule> ownOption(const CommandRule& c, std::string_view word) {
    for (const OptionRule& o : c.options)
        if (o.name == word) return o;
    return std::nullopt;
}

}  // namespace

std::optional<OptionRule> generalOption(std::string_view word) {
    for (const OptionRule& o : kGeneral)
        if (o.name == word) return o;
    return std::nullopt;
}

std::optional<OptionRule> commandOption(std::string_view word) {
    for (const CommandRule& c : kCommands)
        if (auto o = ownOption(c, word)) return o;
    return std::nullopt;
}

bool isKnownCommand(std::string_view command) { return find(command) != nullptr; }

std::optional<std::string> foreignOption(std::string_view command, std::string_view option) {
    const CommandRule* c = find(command);
    if (!c || ownOption(*c, option)) return std::nullopt;
    std::string text = std::string(command) + " does not take " + std::string(option);
    if (c->options.empty()) return text + " (it takes no option of its own)";
    text += " (it takes";
    const char* separator = " ";
    for (const OptionRule& o : c->options) {
        text += separator + std::string(o.name);
        separator = ", ";
    }
    return text + ")";
}

std::optional<std::string> foreignOptionIn(std::string_view command,
                                           const std::vector<std::string>& words) {
    const CommandRule* c = find(command);
    if (!c) return std::nullopt;
    for (size_t i = 0; i < words.size(); ++i) {
        if (auto own = ownOption(*c, words[i])) {
            if (own->takesValue) ++i;
        } else if (commandOption(words[i]) && !generalOption(words[i])) {
            return foreignOption(command, words[i]);
        }
    }
    return std::nullopt;
}

}  // namespace velmora::cli
