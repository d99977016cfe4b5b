#include "console/ConsoleExchange.h"

#include <array>

#include "console/CommandTokenizer.h"
#include "console/ConsoleLines.h"
#include "link/FrameLayout.h"
#include "link/RawExchange.h"

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

    const std::vector<uint8_t> frame = withCrc(command.bytes, order);
    const LogLine request = requestLine(frame);
    log.appendLine(request.text, request.colour);
    std::array<uint8_t, link::kFrameMax> reply{};
    const link::RawReply got = link::exchangeRaw(engine, frame, reply, windowMs);
    if (!got.sent) {
        result.outcome = ConsoleOutcome::Busy;
        return result;
    }

    result.outcome = ConsoleOutcome::Sent;
    result.replyBytes = got.came;
    // Bytes that found no room were counted but never kept: what is shown cannot pass as
    // whole.
    write(log, replyLines(reply.data(), got.kept));
    write(log, verdictLine(reply.data(), got.kept, order, got.whole()));
    result.goodReply = got.whole() && replyCrcOk(reply.data(), got.kept, order);
    log.keepLastLines(kConsoleLogLines);
    return result;
}

}  // namespace velmora::console
