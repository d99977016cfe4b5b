#include "sim/SimCommandLine.h"

#include <climits>
#include <cstdint>

#include "common/NumberText.h"
#include "common/RegularFileRead.h"
#include "sim/SimConfig.h"

namespace velmora::sim {

namespace {

struct CountOption {
    std::string_view name;
    uint64_t max;
    void (*apply)(SimCommandLine&, uint64_t);
};

// Each bound is the range of the field the count lands in, so nothing is cut short.
constexpr CountOption kCountOptions[] = {
    {"--baud", UINT32_MAX, [](SimCommandLine& c, uint64_t n) { c.options.paceBaud = uint32_t(n); }},
    {"--drop", UINT_MAX, [](SimCommandLine& c, uint64_t n) { c.faults.dropEvery = unsigned(n); }},
    {"--corrupt", UINT_MAX,
     [](SimCommandLine& c, uint64_t n) { c.faults.corruptEvery = unsigned(n); }},
    {"--late", UINT32_MAX, [](SimCommandLine& c, uint64_t n) { c.faults.lateMs = uint32_t(n); }},
    {"--stray", UINT_MAX, [](SimCommandLine& c, uint64_t n) { c.faults.strayBytes = unsigned(n); }},
    {"--hangup-after", UINT_MAX,
     [](SimCommandLine& c, uint64_t n) { c.faults.hangupAfter = unsigned(n); }},
    {"--replug-after", UINT32_MAX,
     [](SimCommandLine& c, uint64_t n) { c.options.replugAfterMs = uint32_t(n); }},
    {"--fault-percent", 100,
     [](SimCommandLine& c, uint64_t n) { c.faults.random.share = double(n) / 100; }},
    {"--fault-seed", UINT32_MAX,
     [](SimCommandLine& c, uint64_t n) { c.faults.random.seed = uint32_t(n); }},
};

const CountOption* countOption(std::string_view name) {
    for (const CountOption& option : kCountOptions)
        if (option.name == name) return &option;
    return nullptr;
}

}  // namespace

bool readConfigFile(const std::string& path, std::string& text, std::string& error) {
    FileRead file = readRegularFile(path, kConfigFileLimit);
    if (!file.ok()) {
        error = file.fault == FileReadFault::Missing || file.fault == FileReadFault::Unreadable
                    ? "cannot read it: " + file.reason
                    : file.reason;
        return false;
    }
    text = std::move(file.text);
    return true;
}

bool parseSimCommandLine(const std::vector<std::string_view>& args, SimCommandLine& out,
                         std::string& error) {
    out.configText = std::string(defaultConfig());
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out.action = SimCommandLine::Action::Help;
            return true;
        }
        if (arg == "--print-config") {
            out.action = SimCommandLine::Action::PrintConfig;
            return true;
        }
        if (arg == "--no-echo") {
            out.faults.noEcho = true;
            continue;
        }
        if (arg == "--moving-ram") {
            out.movingRam = true;
            continue;
        }
        const CountOption* count = countOption(arg);
        if (arg != "--config" && arg != "--link" && arg != "--log-requests" && !count) {
            error = "unknown option " + std::string(arg) + " (--help lists the options)";
            return false;
        }
        if (i + 1 >= args.size()) {
            error = std::string(arg) + " needs a value";
            return false;
        }
        const std::string_view value = args[++i];
        if (arg == "--config") {
            std::string reason;
            if (!readConfigFile(std::string(value), out.configText, reason)) {
                error = "--config '" + std::string(value) + "': " + reason;
                return false;
            }
        } else if (arg == "--link") {
            out.options.linkPath = std::string(value);
        } else if (arg == "--log-requests") {
            out.options.requestLogPath = std::string(value);
        } else if (auto n = parseUnsigned(value, count->max)) {
            count->apply(out, *n);
        } else {
            error = std::string(arg) + " '" + std::string(value) +
                    "': expected a whole number from 0 to " + std::to_string(count->max);
            return false;
        }
    }
    // A late reply must miss the limit of the speed the replies are paced at.
    if (out.options.paceBaud) out.faults.random.baud = out.options.paceBaud;
    return true;
}

}  // namespace velmora::sim
