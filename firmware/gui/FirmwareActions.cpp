#include "firmware/gui/FirmwareActions.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>

#include "common/FileReplace.h"
#include "common/HexText.h"
#include "common/RegularFileRead.h"
#include "common/gui/WritableFolder.h"
#include "firmware/FlashEraser.h"
#include "firmware/HexLoader.h"
#include "firmware/HexWriter.h"
#include "firmware/ImageWriter.h"
#include "firmware/LostBytesFile.h"
#include "firmware/ModuleReader.h"
#include "firmware/ProgramLoad.h"
#include "firmware/ProgramRun.h"
#include "common/gui/ProgramCaption.h"

namespace velmora::firmware {

namespace {

QString hex4(uint32_t v) {
    return QString::fromStdString(hexNumber(v, 4));
}

QString fileRefusal(const FileRead& file, const QString& path) {
    switch (file.fault) {
        case FileReadFault::NotRegular:
            return "Файл " + path + " не является обычным файлом";
        case FileReadFault::TooLarge:
            return "Файл " + path + " больше " + QString::number(kHexFileLimit >> 20) +
                   " МБ: это не файл прошивки";
        default:
            return "Файл " + path + " не читается: " + QString::fromStdString(file.reason);
    }
}

}  // namespace

FirmwareActions::FirmwareActions(FirmwareHost host, QObject* parent)
    : QObject(parent), host_(std::move(host)), images_(std::make_unique<FirmwareImages>()) {}

void FirmwareActions::bindRunPanel() {
    host_.panel->wire([this] { sbStopRecClick(); }, [this] { btnRecFromMemoryClick(); });
}

TFshiftFlash& FirmwareActions::shiftDialog() {
    if (!shift_) shift_ = new TFshiftFlash(host_.dialogParent);
    return *shift_;
}

TFClear_FL& FirmwareActions::eraseDialog() {
    if (!eraseDialog_) eraseDialog_ = new TFClear_FL(host_.dialogParent);
    return *eraseDialog_;
}

FirmwareActions::~FirmwareActions() = default;

void FirmwareActions::mmLoadHexClick() {
    if (LoadHexImage() != 0) return;
    host_.mmRecHex->setEnabled(true);
    writeStep();
}

void FirmwareActions::mmLoadHex_ShiftClick() {
    shiftDialog().FlashShift = 0;
    shiftDialog().exec();
    mmLoadHexClick();
}

void FirmwareActions::mmRecHexClick() {
    host_.panel->toggleWriteFromMemory();
}

void FirmwareActions::btnRecFromMemoryClick() {
    // The image was checked when it was read, but the module chosen since (or its
    // FlashBottom) may leave it nothing to write, or leave part of it out.
    const FirmwareTarget target = host_.target();
    if (target.level != 1 && target.level != 2) return;
    const WriteCoverage coverage = writeCoverage(*images_, target);
    if (coverage.nothingToWrite()) {
        QMessageBox::critical(host_.dialogParent, gui::kProgramCaption,
                              QString::fromStdString(nothingToWriteMessage(coverage)));
        return;
    }
    if (const std::string note = belowBottomNote(coverage); !note.empty()) host_.log(note);
    writeStep();
}

int FirmwareActions::LoadHexImage() {
    // The offset holds for the one load that follows it, however that load ends.
    const uint16_t shift = shift_ ? shift_->FlashShift : 0;
    if (shift_) shift_->FlashShift = 0;
    const QString path = host_.chooseHexFile(host_.hexDir());
    if (path.isEmpty()) return 1;
    host_.status({});
    host_.setHexDir(QFileInfo(path).absolutePath());
    const bool logging = host_.systemLogOn();
    const uint8_t level = host_.target().level;
    if (logging) {
        if (level == 1) host_.log("Modbus => Load file: \"" + path.toStdString() + "\"");
        if (level == 2) host_.log("i2c => Load file: \"" + path.toStdString() + "\"");
        host_.log(hexListingHeader());
    }
    const FileRead file = readRegularFile(QFile::encodeName(path).toStdString(), kHexFileLimit);
    if (!file.ok()) {
        QMessageBox::critical(host_.dialogParent, gui::kProgramCaption, fileRefusal(file, path));
        return 1;
    }
    if (file.text.empty()) {
        host_.status("В файле " + path + " нет данных");
        return 1;
    }
    HexListing listing;
    const ProgramLoad r = loadForProgramming(file.text, shift, host_.target(), *images_, &listing);
    if (logging)
        for (const std::string& line : listing.lines) host_.log(line);
    if (r.hex.problem == HexProblem::NoLines) {
        host_.status("В файле " + path + " нет данных");
        return 1;
    }
    if (!r.hex.ok()) {
        QMessageBox::critical(host_.dialogParent, gui::kProgramCaption,
                              QString::fromStdString(hexProblemMessage(r.hex)));
        return 1;
    }
    if (!r.ok()) {
        QMessageBox::critical(host_.dialogParent, gui::kProgramCaption,
                              QString::fromStdString(nothingToWriteMessage(r.coverage)));
        return 1;
    }
    // Said whether or not the listing is logged: these bytes are not where the file put them.
    if (const std::string note = belowBottomNote(r.coverage); !note.empty()) host_.log(note);
    host_.status(path);
    return 0;
}

RunResult FirmwareActions::runWrite(const FirmwareTarget& target, bool& wroteAnything) {
    ModuleLink link(*host_.engine, target);
    const QString caption = target.level == 1 ? "Запись Modbus!" : "Запись i2c!";
    RunHooks hooks;
    hooks.stopRequested = [this] { return stopRequested_; };
    hooks.progress = [this, caption](const Progress& p) {
        host_.panel->progress(QString("%1  Flash %2 из %3, EEPROM %4 из %5")
                                  .arg(caption)
                                  .arg(p.blocksDone)
                                  .arg(p.blocksTotal)
                                  .arg(p.eepromDone)
                                  .arg(p.eepromTotal));
    };
    wroteAnything = true;
    const bool verify = host_.verifyAfterWrite && host_.verifyAfterWrite->isChecked();
    return programModule(link, *images_, verify, hooks, hooks);
}

void FirmwareActions::writeStep() {
    const FirmwareTarget target = host_.target();
    if (target.level != 1 && target.level != 2) return;
    stopRequested_ = false;
    // "СТОП" is offered at both levels: a long i2c write must be stoppable too.
    host_.panel->begin(target.level == 1 ? "Запись Modbus!" : "Запись i2c!", true);
    bool wrote = false;
    const RunResult r = runWrite(target, wrote);
    host_.panel->end();
    // Whatever the outcome, blocks may have changed: the grid shows the module as it is
    // now (or, when it cannot be read, marks its old bytes stale), never the bytes of
    // before the write as if they were current.
    host_.refreshFlash();
    QWidget* parent = host_.dialogParent;
    switch (r.outcome) {
        case RunOutcome::Success:
            if (target.level == 1) host_.status("Файл записан успешно");
            return;
        case RunOutcome::Stopped:
            QMessageBox::warning(parent, gui::kProgramCaption,
                                 "Запись остановлена на адресе " + hex4(r.address) +
                                     ": модуль записан не полностью");
            return;
        case RunOutcome::Mismatch:
            QMessageBox::critical(parent, gui::kProgramCaption,
                                  "Проверка после записи: отличие по адресу " + hex4(r.address));
            return;
        case RunOutcome::Failed:
        case RunOutcome::Unsteady:
            QMessageBox::critical(parent, gui::kProgramCaption,
                                  target.level == 1 ? "Операция записи прервана по ошибке"
                                                    : "Запись *.hex файла в i2c прервана по ошибке");
            return;
    }
}

void FirmwareActions::backupClick() {
    const FirmwareTarget target = host_.target();
    if (target.level != 1 && target.level != 2) return;
    const QString path = host_.chooseBackupFile(host_.hexDir());
    if (path.isEmpty()) return;
    // Reading a whole module takes minutes: not for a file that cannot be saved.
    const std::string file = QFile::encodeName(path).toStdString();
    std::string why;
    if (!canReplaceFile(file, why)) {
        QMessageBox::critical(host_.dialogParent, gui::kProgramCaption, QString::fromStdString(why));
        return;
    }
    host_.panel->begin("Чтение прошивки", false);
    ModuleLink link(*host_.engine, target);
    auto saved = std::make_unique<FirmwareImages>();
    RunHooks hooks;
    hooks.progress = [this](const Progress& p) {
        host_.panel->progress(
            QString("Чтение прошивки  Flash %1 из %2").arg(p.blocksDone).arg(p.blocksTotal));
    };
    const RunResult r = backupModule(link, *saved, hooks);
    host_.panel->end();
    if (!r.ok()) {
        QMessageBox::critical(host_.dialogParent, gui::kProgramCaption,
                              "Ошибка чтения прошивки по адресу " +
                                  QString(r.inEeprom ? "EEPROM " : "") + hex4(r.address));
        return;
    }
    // Whole or not at all: a half-written file would pass for a firmware.
    if (!replaceFile(file, writeHexText(*saved, target.flashBottom), why)) {
        QMessageBox::critical(host_.dialogParent, gui::kProgramCaption, QString::fromStdString(why));
        return;
    }
    host_.status(path);
}

void FirmwareActions::pmSys_ClFlClick() {
    TFClear_FL& dialog = eraseDialog();
    dialog.setBottom(host_.target().flashBottom);
    dialog.exec();
    if (!dialog.confirmed()) return;
    erase({dialog.range().start, dialog.range().end});
}

void FirmwareActions::erase(const EraseRange& range) {
    if (host_.systemLogOn()) host_.log(eraseLogLine(range));
    host_.panel->begin("Идет стирание", false);
    ModuleLink link(*host_.engine, host_.target());
    RunHooks hooks;
    hooks.progress = [this](const Progress& p) { host_.panel->address(p.address); };
    const EraseResult r = eraseFlash(link, range, hooks);
    if (!r.ok()) {
        QString text = "Ошибка очистки FLASH ст адрес=" + hex4(r.address);
        if (!r.lost.empty()) {
            const QString folder =
                !lostBytesFolder_.isEmpty()
                    ? lostBytesFolder_
                    : gui::programOrUserFolder(QCoreApplication::applicationDirPath(),
                                               QStandardPaths::GenericDataLocation);
            std::string error;
            const auto path = saveLostBytes(r, link.target(), folder.toStdString(), error);
            const std::string line = lostBytesMessage(r, path, error);
            text += "\n" + QString::fromStdString(line);
            if (host_.systemLogOn()) host_.log(line);
        }
        QMessageBox::critical(host_.dialogParent, gui::kProgramCaption, text);
    } else
        QMessageBox::information(host_.dialogParent, gui::kProgramCaption, "Стирание окончено");
    host_.panel->end();
    host_.refreshModulePage();
}

}  // namespace velmora::firmware
