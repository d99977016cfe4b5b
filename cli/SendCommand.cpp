#include "cli/SendCommand.h"

#include "common/NumberText.h"
#include "console/CommandTokenizer.h"
#include "console/ConsoleExchange.h"

namespace velmora::cli {

namespace {

// Lines go out as they come, so a reader of the pipe sees the request before the wait.
class PrintedLog : public console::ConsoleLog {
public:
    explicit PrintedLog(std::FILE* out) : out_(out) {}
    void appendLine(const std::string& text, link::Rgb) override {
        std::fprintf(out_, "%s\n", text.c_str());
        std::fflush(out_);
    }
    void keepLastLines(size_t) override {}  // printed lines stay printed

private:
    std::FILE* out_;
};

}  // namespace

std::optional<SendRequest> parseSendWords(const std::vector<std::string>& words,
                                          std::string& error) {
    SendRequest out;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w == "--crc-hi") {
            out.crcHighFirst = true;
        } else if (w == "--wait") {
            const auto ms = i + 1 < words.size() ? parseUnsigned(words[i + 1], 600000) : std::nullopt;
            if (!ms) {
                error = "--wait takes the milliseconds to wait, decimal 0..600000";
                return std::nullopt;
            }
            out.waitMs = static_cast<uint32_t>(*ms);
            ++i;
        } else {
            out.text += (out.text.empty() ? "" : " ") + w;
        }
    }
    if (console::parseCommandLine(out.text).bytes.empty() &&
        !sendRefusal(out).has_value()) {
        error = "send needs the bytes to send (HH HH ...)";
        return std::nullopt;
    }
    return out;
}

std::optional<std::string> sendRefusal(const SendRequest& request) {
    const console::ParsedCommand parsed = console::parseCommandLine(request.text);
    if (parsed.error == console::CommandError::None) return std::nullopt;
    return console::commandErrorText(parsed);
}

int runSend(link::TransactionEngine& engine, const SendRequest& request, std::FILE* out,
            std::FILE* err) {
    PrintedLog log(out);
    const auto order =
        request.crcHighFirst ? console::CrcOrder::HighFirst : console::CrcOrder::LowFirst;
    const console::ConsoleResult result =
        console::sendConsoleCommand(engine, request.text, order, log, request.waitMs);
    switch (result.outcome) {
        case console::ConsoleOutcome::Sent:
            return result.goodReply ? 0 : 1;
        case console::ConsoleOutcome::Refused:
            std::fprintf(err, "%s\n", result.message.c_str());
            return 2;
        case console::ConsoleOutcome::Nothing:
            return 2;
        case console::ConsoleOutcome::Busy:
            std::fprintf(err, "velmora-cli: the link is in use by another operation\n");
            return 1;
    }
    return 1;
}

}  // namespace velmora::cli
