#include "console/ConsoleExchange.h"

#include <algorithm>

#include "console/CommandTokenizer.h"
#include "console/ConsoleLines.h"

namespace velmora::console {

namespace {
void write(ConsoleLog& log, const std::vector<LogLine>& lines) {
    for (const LogLine& line : lines) log.appendLine(line.text, line.colour);
}
}  // namespace

ConsoleResult sendConsoleCommand(link::TransactionEngine& engine, std::string_view text,
                                 CrcOrder order, ConsoleLog& log, uint32_t windowMs) {
    ConsoleResult result;
    const ParsedCommand command = parseCommandLine(text);
    if (command.error != CommandError::None) {
        result.outcome = ConsoleOutcome::Refused;
        result.message = commandErrorText(command);
        return result;
    }
    // The CRC of no bytes means nothing: an empty line is not a frame.
    if (command.bytes.empty()) return result;
    if (!engine.isIdle()) {
        result.outcome = ConsoleOutcome::Busy;
        return result;
    }

    auto hold = engine.hold();
    link::LinkState& state = engine.state();
    const std::vector<uint8_t> frame = withCrc(command.bytes, order);
    std::copy(frame.begin(), frame.end(), state.TxBuf.begin());
    const LogLine request = requestLine(frame);
    log.appendLine(request.text, request.colour);
    if (!engine.rawExchange(state.TxBuf.data(), frame.size(), windowMs)) {
        result.outcome = ConsoleOutcome::Busy;
        return result;
    }

    result.outcome = ConsoleOutcome::Sent;
    result.replyBytes = state.RxCount;
    // Bytes past RxBuf were counted but never kept: what is shown cannot pass as whole.
    const size_t kept = std::min<size_t>(state.RxCount, state.RxBuf.size());
    const bool complete = kept == state.RxCount;
    write(log, replyLines(state.RxBuf.data(), kept));
    write(log, verdictLine(state.RxBuf.data(), kept, order, complete));
    result.goodReply = complete && replyCrcOk(state.RxBuf.data(), kept, order);
    log.keepLastLines(kConsoleLogLines);
    return result;
}

}  // namespace velmora::console
