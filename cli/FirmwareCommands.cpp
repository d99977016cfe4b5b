#include "cli/FirmwareCommands.h"

#include <cstdio>
#include <memory>

#include "cli/ResultText.h"
#include "common/FileReplace.h"
#include "common/HexText.h"
#include "common/RegularFileRead.h"
#include "firmware/FlashEraser.h"
#include "firmware/HexLoader.h"
#include "firmware/HexWriter.h"
#include "firmware/ImageWriter.h"
#include "firmware/LostBytesFile.h"
#include "firmware/ModuleReader.h"
#include "firmware/ProgramLoad.h"
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
        case RunOutcome::Unsteady:
            return std::string("two readings differ at ") + (r.inEeprom ? "EEPROM " : "Flash ") +
                   hexNumber(r.address, 4);
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
    const FileRead file = readRegularFile(args.firmware.file, kHexFileLimit);
    if (!file.ok()) {
        say(file.message);
        return 1;
    }
    auto images = std::make_unique<FirmwareImages>();
    HexListing listing;
    const FirmwareTarget target = targetOf(args);
    const ProgramLoad loaded =
        loadForProgramming(file.text, args.firmware.shift, target, *images, &listing);
    if (!loaded.hex.ok()) {
        say(loaded.hex.problem == HexProblem::NoLines
                ? "В файле " + args.firmware.file + " нет данных"
                : args.firmware.file + ": " + hexProblemMessage(loaded.hex));
        return 1;
    }
    if (!loaded.ok()) {
        say(args.firmware.file + ": " + nothingToWriteMessage(loaded.coverage));
        return 1;
    }
    std::fprintf(stderr, "%s\n", hexListingHeader().c_str());
    for (const std::string& line : listing.lines) std::fprintf(stderr, "%s\n", line.c_str());
    if (const std::string note = belowBottomNote(loaded.coverage); !note.empty()) say(note);
    ModuleLink link(session.engine(), target);
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
    // Checked before the module is read: the read takes minutes, and a FIFO or a device
    // node given as the file must be left as it is.
    std::string why;
    if (!canReplaceFile(args.firmware.file, why)) {
        say(why);
        return 2;
    }
    ModuleLink link(session.engine(), targetOf(args));
    auto images = std::make_unique<FirmwareImages>();
    const RunResult r = backupModule(link, *images, progressOnStderr("read"));
    if (!r.ok()) {
        say("backup " + failure(r));
        return 1;
    }
    // Written whole or not at all: a half-written backup would pass for a firmware.
    if (!replaceFile(args.firmware.file, writeHexText(*images, args.flashBottom), why)) {
        say(why);
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
