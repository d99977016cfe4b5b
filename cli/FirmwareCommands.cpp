#include "cli/FirmwareCommands.h"

#include <QFile>
#include <QSaveFile>
#include <cstdio>
#include <memory>

#include "cli/ResultText.h"
#include "common/HexText.h"
#include "firmware/FlashEraser.h"
#include "firmware/HexLoader.h"
#include "firmware/HexWriter.h"
#include "firmware/ImageWriter.h"
#include "firmware/LostBytesFile.h"
#include "firmware/ModuleReader.h"
#include "firmware/ProgramRun.h"

namespace velmora::cli {

namespace {

using namespace firmware;

FirmwareTarget targetOf(const CliArgs& a) {
    return {a.firmware.cid, a.trans.slave, static_cast<uint8_t>(a.slaveGiven ? 2 : 1),
            a.flashBottom};
}

void say(const std::string& text) {
    std::fprintf(stderr, "velmora-cli: %s\n", text.c_str());
}

RunHooks progressOnStderr(const char* what) {
    RunHooks hooks;
    hooks.progress = [what](const Progress& p) {
        std::fprintf(stderr, "%s %s: blocks %zu/%zu, EEPROM %zu/%zu\n", what,
                     hexNumber(p.address, 4).c_str(), p.blocksDone, p.blocksTotal, p.eepromDone,
                     p.eepromTotal);
    };
    return hooks;
}

std::string failure(const RunResult& r) {
    switch (r.outcome) {
        case RunOutcome::Success:
            return {};
        case RunOutcome::Stopped:
            return "stopped at " + hexNumber(r.address, 4);
        case RunOutcome::Mismatch:
            return "verify: the module differs from the image at " + hexNumber(r.address, 4);
        case RunOutcome::Failed:
            return "failed at " + hexNumber(r.address, 4) + ": " + resultLine(r.code);
    }
    return {};
}

std::string eraseFailure(const EraseResult& r) {
    if (r.outcome != RunOutcome::Mismatch) return failure(r);
    return r.readsDiffer ? "two reads of the block never agreed; nothing written"
                         : "the block does not read back as written";
}

int program(link::LinkSession& session, const CliArgs& args) {
    QFile file(QString::fromStdString(args.firmware.file));
    if (!file.open(QIODevice::ReadOnly)) {
        say(args.firmware.file + ": " + file.errorString().toStdString());
        return 1;
    }
    const QByteArray text = file.readAll();
    auto images = std::make_unique<FirmwareImages>();
    HexListing listing;
    const HexLoadResult loaded = loadHexText(std::string_view(text.constData(), text.size()),
                                             args.firmware.shift, *images, &listing);
    if (!loaded.ok()) {
        say(loaded.problem == HexProblem::NoLines
                ? "В файле " + args.firmware.file + " нет данных"
                : args.firmware.file + ": " + hexProblemMessage(loaded));
        return 1;
    }
    std::fprintf(stderr, "%s\n", hexListingHeader().c_str());
    for (const std::string& line : listing.lines) std::fprintf(stderr, "%s\n", line.c_str());
    ModuleLink link(session.engine(), targetOf(args));
    const RunResult r = programModule(link, *images, args.firmware.verify,
                                      progressOnStderr("write"), progressOnStderr("verify"));
    if (!r.ok()) {
        say((args.slaveGiven ? "Запись *.hex файла в i2c прервана по ошибке"
                             : "Операция записи прервана по ошибке") +
            std::string(": ") + failure(r));
        return 1;
    }
    say("Файл записан успешно");
    return 0;
}

int erase(link::LinkSession& session, const CliArgs& args) {
    const EraseRange range{args.firmware.start, args.firmware.end};
    say(eraseLogLine(range));
    ModuleLink link(session.engine(), targetOf(args));
    const EraseResult r = eraseFlash(link, range, progressOnStderr("erase"));
    if (!r.ok()) {
        say("Ошибка очистки FLASH ст адрес=" + hexNumber(r.address, 4) + ": " + eraseFailure(r));
        if (!r.lost.empty()) {
            std::string error;
            const auto path = saveLostBytes(r, link.target(), ".", error);
            say(lostBytesMessage(r, path, error));
        }
        return 1;
    }
    say("Стирание окончено");
    return 0;
}

int backup(link::LinkSession& session, const CliArgs& args) {
    ModuleLink link(session.engine(), targetOf(args));
    auto images = std::make_unique<FirmwareImages>();
    const RunResult r = backupModule(link, *images, progressOnStderr("read"));
    if (!r.ok()) {
        say("backup " + failure(r));
        return 1;
    }
    // Written whole or not at all: a half-written backup would pass for a firmware.
    QSaveFile out(QString::fromStdString(args.firmware.file));
    const std::string text = writeHexText(*images, args.flashBottom);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size()) ||
        !out.commit()) {
        say(args.firmware.file + ": " + out.errorString().toStdString());
        return 1;
    }
    return 0;
}

}  // namespace

int runFirmwareCommand(link::LinkSession& session, const CliArgs& args) {
    switch (args.command) {
        case CliArgs::Command::Program:
            return program(session, args);
        case CliArgs::Command::Erase:
            return erase(session, args);
        case CliArgs::Command::Backup:
            return backup(session, args);
        default:
            return 2;
    }
}

}  // namespace velmora::cli
