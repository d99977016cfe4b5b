#include "cli/TestCommand.h"

#include <ctime>
#include <memory>

#include "common/NumberText.h"
#include "common/RegularFileAppend.h"
#include "common/RegularFileRead.h"
#include "tools/TestFileCheck.h"
#include "tools/TestList.h"
#include "tools/TesterTick.h"

namespace velmora::cli {

namespace {

std::string stamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%d.%m.%Y %H:%M:%S", &local);
    return text;
}

// Log lines are appended as they happen, so an interrupted run loses none.
class AppendedLog {
public:
    explicit AppendedLog(const std::string& path) : wanted_(!path.empty()) {
        if (wanted_) file_ = std::make_unique<RegularFileAppend>(path);
    }
    bool usable() const { return !wanted_ || file_->ok(); }
    std::string error() const { return file_ ? file_->error() : std::string(); }
    bool write(const std::string& line) {
        if (!wanted_) return true;
        return file_->write(line + "\r\n");
    }

private:
    bool wanted_;
    std::unique_ptr<RegularFileAppend> file_;
};

}  // namespace

std::optional<TestRequest> parseTestWords(const std::vector<std::string>& words, std::string& error) {
    TestRequest out;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w == "--once") {
            out.once = true;
        } else if (w == "--period") {
            const auto ms = i + 1 < words.size() ? parseUnsigned(words[i + 1], 600000) : std::nullopt;
            if (!ms || *ms == 0) {
                error = "--period takes the milliseconds between frames, decimal 1..600000";
                return std::nullopt;
            }
            out.periodMs = static_cast<uint32_t>(*ms);
            ++i;
        } else if (w == "--log") {
            if (i + 1 >= words.size()) {
                error = "--log takes the file the log lines are appended to";
                return std::nullopt;
            }
            out.logFile = words[++i];
        } else if (!w.empty() && w[0] == '-') {
            error = "unknown option " + w;
            return std::nullopt;
        } else if (out.file.empty()) {
            out.file = w;
        } else {
            error = "test takes one file";
            return std::nullopt;
        }
    }
    if (out.file.empty()) {
        error = "test needs the test file (FILE.tst)";
        return std::nullopt;
    }
    return out;
}

std::optional<std::string> loadTestRequest(TestRequest& request) {
    const FileRead file = readRegularFile(request.file, tools::kTestFileLimit);
    if (!file.ok()) return file.message;
    request.lines = tools::testFileLines(file.text);
    const tools::TestFileVerdict verdict = tools::checkTestFile(request.file, request.lines);
    if (!verdict.ok) return verdict.message;
    return std::nullopt;
}

int runTestCommand(link::TransactionEngine& engine, const TestRequest& request, std::FILE* out,
                   std::FILE* err) {
    // The whole file is checked before its first line goes out.
    const tools::TestFileVerdict verdict = tools::checkTestFile(request.file, request.lines);
    if (!verdict.ok) {
        std::fprintf(err, "velmora-cli: %s\n", verdict.message.c_str());
        return 2;
    }
    tools::TestList list;
    if (!list.addFile(request.file, request.lines)) {
        std::fprintf(err, "velmora-cli: %s has too many lines\n", request.file.c_str());
        return 1;
    }
    AppendedLog log(request.logFile);
    if (!log.usable()) {
        std::fprintf(err, "velmora-cli: cannot open %s for appending: %s\n", request.logFile.c_str(),
                     log.error().c_str());
        return 1;
    }
    const tools::CycleMode mode = request.once ? tools::CycleMode::Once : tools::CycleMode::Cyclic;
    int passes = 0;
    for (;;) {
        const tools::TickResult tick = tools::runTestTick(engine, list);
        switch (tick.outcome) {
        case tools::TickOutcome::Idle:
            std::fprintf(err, "velmora-cli: %s holds no command\n", request.file.c_str());
            return 1;
        case tools::TickOutcome::Busy:
            std::fprintf(err, "velmora-cli: the link is in use by another operation\n");
            return 1;
        case tools::TickOutcome::Refused:
            std::fprintf(err, "velmora-cli: %s\n", tick.message.c_str());
            return 1;
        case tools::TickOutcome::Empty: break;
        case tools::TickOutcome::NoReply:
        case tools::TickOutcome::Answered: {
            std::fprintf(out, "< %s\n", tick.displayText.c_str());
            bool logged = log.write(tools::requestLogLine(stamp(), tick.displayText));
            if (tick.outcome == tools::TickOutcome::Answered) {
                std::fprintf(out, "> %s\n", tick.replyText.c_str());
                logged = log.write(tools::replyLogLine(stamp(), tick.replyText)) && logged;
            }
            std::fflush(out);
            if (!logged) {
                std::fprintf(err, "velmora-cli: cannot write %s\n", request.logFile.c_str());
                return 1;
            }
            if (tick.outcome == tools::TickOutcome::NoReply) return 1;
        }
        }
        const tools::TimerAfterTick next = tools::timerAfterTick(mode, tick);
        if (next == tools::TimerAfterTick::StopAndUncheck) return 0;
        if (tick.listDone && request.maxPasses >= 0 && ++passes >= request.maxPasses) return 0;
        engine.pause(request.periodMs);
    }
}

}  // namespace velmora::cli
