#include "cli/WatchCommand.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <ctime>

#include "access/MemoryMap.h"
#include "common/FileReplace.h"
#include "common/HexText.h"
#include "common/NumberText.h"
#include "tools/WatchHistory.h"
#include "tools/WatchList.h"

namespace velmora::cli {

namespace {

std::optional<uint8_t> hexByte(const std::string& w, bool allowZero) {
    auto v = parseHex(w, 0xFF);
    if (!v || (!allowZero && *v == 0)) return std::nullopt;
    return static_cast<uint8_t>(*v);
}

std::atomic<bool> interrupted{false};

extern "C" void onInterrupt(int) { interrupted = true; }

std::string twoDigits(int v) {
    std::string s = std::to_string(v);
    return s.size() < 2 ? "0" + s : s;
}

}  // namespace

std::optional<WatchRequest> parseWatchWords(const std::vector<std::string>& words,
                                            std::string& error) {
    WatchRequest out;
    std::vector<std::string> positional;
    uint8_t slave = 0;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        const bool hasValue = i + 1 < words.size();
        if (w == "--slave") {
            auto s = hasValue ? hexByte(words[++i], false) : std::nullopt;
            if (!s) {
                error = "--slave takes the i2c address, hexadecimal 01..FF";
                return std::nullopt;
            }
            slave = *s;
        } else if (w == "--period") {
            auto ms = hasValue ? parseUnsigned(words[++i], 3600000) : std::nullopt;
            if (!ms || *ms == 0) {
                error = "--period takes the milliseconds between passes, decimal 1..3600000";
                return std::nullopt;
            }
            out.periodMs = static_cast<uint32_t>(*ms);
        } else if (w == "--csv") {
            if (!hasValue || words[i + 1].empty()) {
                error = "--csv takes the file to write what was read to";
                return std::nullopt;
            }
            out.csvPath = words[++i];
        } else {
            positional.push_back(w);
        }
    }
    if (positional.size() != 3) {
        error = "watch takes CID ADDR COUNT";
        return std::nullopt;
    }
    auto cid = hexByte(positional[0], false);
    auto address = parseHex(positional[1], 0xFFF);
    auto count = parseUnsigned(positional[2], tools::kWatchCountMax);
    if (!cid) error = "CID must be a node address, hexadecimal 01..FF";
    else if (!address) error = "ADDR must be a RAM address, hexadecimal 000..FFF";
    else if (!count || *count == 0) error = "COUNT must be 1..8";
    else if (*address + *count > access::kRamEnd)
        error = "the variable runs past the end of RAM (FFF)";
    if (!error.empty()) return std::nullopt;
    out.variable.owner = access::moduleAt(*cid, slave);
    out.variable.address = static_cast<uint16_t>(*address);
    out.variable.count = static_cast<uint16_t>(*count);
    return out;
}

ClockTime clockTimeNow() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
    return {local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(ms.count())};
}

std::string watchPassLine(const ClockTime& at, const tools::RamVariable& v,
                          const tools::VariableRead& read) {
    std::string line = twoDigits(at.hour) + ":" + twoDigits(at.minute) + ":" + twoDigits(at.second) +
                       "." + std::to_string(1000 + at.ms).substr(1);
    if (!read.ok()) return line + " " + tools::watchFaultText(v, read.fault);
    for (uint8_t b : read.bytes) line += " " + hexNumber(b, 2);
    return line;
}

int runWatch(link::TransactionEngine& engine, const WatchRequest& request, std::FILE* out,
             const WatchHooks& hooks) {
    tools::WatchHistory history(request.csvPath.empty() ? 1 : kWatchCsvRows);
    while (!(hooks.stop && hooks.stop())) {
        const uint64_t atMs = hooks.clockMs ? hooks.clockMs() : 0;
        const tools::VariableRead read = tools::readRamVariable(engine, request.variable);
        std::fprintf(out, "%s\n", watchPassLine(hooks.now(), request.variable, read).c_str());
        std::fflush(out);
        history.record(0, atMs, read.ok() ? std::optional(tools::watchValue(read.bytes)) : std::nullopt);
        if (hooks.stop && hooks.stop()) break;
        engine.pause(request.periodMs);
    }
    if (request.csvPath.empty()) return 0;
    const std::string csv = tools::watchCsv({{tools::watchEntryName(request.variable), history.samples(0)}},
                                            history.firstMs().value_or(0));
    std::string why;
    if (replaceFile(request.csvPath, csv, why)) return 0;
    std::fprintf(hooks.err, "velmora-cli: %s\n", why.c_str());
    return 1;
}

std::function<bool()> interruptFlag() {
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    return [] { return interrupted.load(); };
}

}  // namespace velmora::cli
