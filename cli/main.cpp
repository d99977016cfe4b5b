// velmora-cli: the transaction engine and the serial port without a window.

#include <QCoreApplication>
#include <array>
#include <cstdio>
#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "cli/CliArgs.h"
#include "cli/DecodeCommand.h"
#include "cli/FirmwareCommands.h"
#include "cli/IdentCommand.h"
#include "cli/ResultText.h"
#include "cli/SendCommand.h"
#include "cli/SetLinkCommand.h"
#include "cli/SymbolsCommand.h"
#include "cli/WatchCommand.h"
#include "common/FileReplace.h"
#include "common/HexText.h"
#include "link/FrameLayout.h"
#include "link/OperationKind.h"
#include "link/ReplyCodes.h"
#include "link/StatusReport.h"
#include "link/qt/LinkSession.h"

namespace {

using namespace velmora;

class StderrLog : public link::ProtocolLog {
public:
    bool exchangeLogging() const override { return true; }
    void appendLine(const std::string& text, link::Rgb) override {
        std::fprintf(stderr, "%s\n", text.c_str());
    }
};

struct LastStatus : link::StatusPanel {
    std::string text;
    void showStatus(const std::string& t) override {
        if (!t.empty()) text = t;
    }
};

int listPorts(link::TnrComm& comm) {
    QStringList ports = comm.portList();
    int current = static_cast<int>(ports.indexOf(comm.devicePath()));
    for (int i = 0; i < ports.size(); ++i) {
        QString name = link::portDisplayName(ports[i]);
        std::printf("%s %s%s\n", i == current ? "*" : " ", ports[i].toLocal8Bit().constData(),
                    name != ports[i] ? (" (" + name + ")").toLocal8Bit().constData() : "");
    }
    return 0;
}

int transact(link::LinkSession& session, const cli::CliArgs& args) {
    link::TransactionEngine& engine = session.engine();
    StderrLog log;
    if (args.log) engine.setProtocolLog(&log);

    const cli::TransRequest& t = args.trans;
    std::array<uint8_t, link::kFrameMax> reply{};
    const uint16_t result =
        engine.transact({t.cid, t.kind, t.address, t.count, t.slave, t.retries}, t.data, reply)
            .code;
    if (result != link::kResultOk) {
        std::fprintf(stderr, "velmora-cli: result %u (0x%02X): %s\n", result, result,
                     cli::resultText(result).c_str());
        return 1;
    }
    if (link::isReadKind(t.kind)) {
        size_t n = t.kind == link::rdID ? 252 : std::min<size_t>(t.count, 249);
        std::string text = hexBytes(reply.data(), n);
        if (!text.empty()) text.pop_back();
        std::printf("%s\n", text.c_str());
    }
    return 0;
}

// The memory views' commands; a failure's reason, and the engine's last word on it,
// go to standard error.
int runViewCommand(link::TransactionEngine& engine, const cli::CliArgs& args) {
    LastStatus status;
    link::StatusReport report(status);
    engine.setWatch(&report);
    std::string error;
    int code = 0;
    if (args.dump) code = cli::runDumpCommand(*args.dump, engine, error);
    if (args.sfr) code = cli::runSfrCommand(*args.sfr, engine, error);
    if (args.poke) code = cli::runPokeCommand(*args.poke, engine, error);
    engine.setWatch(nullptr);
    if (code != 0)
        std::fprintf(stderr, "velmora-cli: %s%s\n", error.c_str(),
                     status.text.empty() ? "" : (": " + status.text).c_str());
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<std::string> words(argv + 1, argv + argc);
    std::string error;
    auto args = cli::parseCliArgs(words, error);
    if (!args) {
        std::fprintf(stderr, "velmora-cli: %s\n%s", error.c_str(), cli::cliUsage());
        return 2;
    }
    if (args->command == cli::CliArgs::Command::Help) {
        std::fputs(cli::cliUsage(), stdout);
        return 0;
    }
    if (args->command == cli::CliArgs::Command::Decode)
        return cli::runDecode(args->words, stdout, stderr);
    if (args->command == cli::CliArgs::Command::Symbols)
        return cli::runSymbols(args->words.front(), stdout, stderr);
    // A command's own words are checked before any port is touched.
    std::variant<std::monostate, cli::IdentCommand, cli::SetLinkCommand, std::string> command;
    if (args->command == cli::CliArgs::Command::Ident)
        std::visit([&](auto&& v) { command = v; }, cli::parseIdentCommand(args->words, args->trans.slave));
    if (args->command == cli::CliArgs::Command::SetLink)
        std::visit([&](auto&& v) { command = v; }, cli::parseSetLinkCommand(args->words));
    if (auto* error = std::get_if<std::string>(&command)) {
        std::fprintf(stderr, "velmora-cli: %s\n%s", error->c_str(), cli::cliUsage());
        return 2;
    }
    link::LinkSession session;
    link::TnrComm& comm = session.comm();
    if (!args->port.empty())
        session.setChoice(link::parsePortArgument(QString::fromStdString(args->port)));
    comm.setBaud(args->speed);
    comm.setHardwareFlow(args->hardwareFlow);
    if (args->command == cli::CliArgs::Command::Ports) return listPorts(comm);
    std::optional<cli::WatchRequest> watch;
    if (args->command == cli::CliArgs::Command::Watch) {
        std::string error;
        watch = cli::parseWatchWords(args->words, error);
        if (!watch) {
            std::fprintf(stderr, "velmora-cli: %s\n%s", error.c_str(), cli::cliUsage());
            return 2;
        }
        // Not a run's worth of readings for a file that cannot be saved.
        if (!watch->csvPath.empty() && !canReplaceFile(watch->csvPath, error)) {
            std::fprintf(stderr, "velmora-cli: %s\n", error.c_str());
            return 2;
        }
    }
    if (args->command == cli::CliArgs::Command::Send) {
        if (auto refusal = cli::sendRefusal(args->send)) {
            std::fprintf(stderr, "%s\n", refusal->c_str());
            return 2;
        }
    }

    if (args->command == cli::CliArgs::Command::Test) {
        if (auto refusal = cli::loadTestRequest(args->test)) {
            std::fprintf(stderr, "velmora-cli: %s\n", refusal->c_str());
            return 2;
        }
    }

    QString failure;
    QObject::connect(&session, &link::LinkSession::openFailed,
                     [&](const QString& why) { failure = why; });
    if (!session.openPort()) {
        std::fprintf(stderr, "velmora-cli: cannot open %s: %s\n",
                     comm.devicePath().toLocal8Bit().constData(),
                     failure.toLocal8Bit().constData());
        if (!comm.openAdvice().isEmpty())
            std::fprintf(stderr, "velmora-cli: %s\n", comm.openAdvice().toUtf8().constData());
        return 3;
    }
    StderrLog log;
    if (args->log) session.engine().setProtocolLog(&log);
    if (args->command == cli::CliArgs::Command::Send)
        return cli::runSend(session.engine(), args->send, stdout, stderr);
    if (args->command == cli::CliArgs::Command::Test)
        return cli::runTestCommand(session.engine(), args->test, stdout, stderr);
    if (watch)
        return cli::runWatch(session.engine(), *watch, stdout,
                             {cli::clockTimeNow, cli::interruptFlag(), [&] { return session.clock().nowMs(); }});
    if (args->command == cli::CliArgs::Command::Scan)
        return cli::runScanCommand(args->scan, session.engine(), std::cout, std::cerr);
    if (args->command == cli::CliArgs::Command::Init)
        return cli::runInitCommand(args->init, session.engine(), std::cerr);
    if (auto* c = std::get_if<cli::IdentCommand>(&command))
        return cli::runIdentCommand(*c, session.engine(), stdout, stderr);
    if (auto* c = std::get_if<cli::SetLinkCommand>(&command))
        return cli::runSetLinkCommand(*c, session.engine(), stdout, stderr);
    if (args->command == cli::CliArgs::Command::Trans) return transact(session, *args);
    if (args->command == cli::CliArgs::Command::Dump || args->command == cli::CliArgs::Command::Sfr ||
        args->command == cli::CliArgs::Command::Poke)
        return runViewCommand(session.engine(), *args);
    return cli::runFirmwareCommand(session, *args);
}
