#pragma once
// The window's firmware commands: reading a HEX file and programming it ("Загрузить
// *.hex файл", with an offset, "Запись из памяти"), the write panel on the Flash page,
// and erasing Flash ("Очистить Flash"). The runs themselves are the plain routines of
// firmware/, shared with velmora-cli; this class binds them to menus, dialogs and panels.

#include <QAction>
#include <QObject>
#include <functional>
#include <memory>

#include "firmware/FirmwareImages.h"
#include "firmware/FlashEraser.h"
#include "firmware/FirmwareTarget.h"
#include "firmware/gui/TFClear_FL.h"
#include "firmware/gui/TFshiftFlash.h"
#include "firmware/gui/RunPanel.h"

namespace velmora::firmware {

// What the window lends the firmware commands.
struct FirmwareHost {
    link::TransactionEngine* engine = nullptr;
    std::function<FirmwareTarget()> target;  // the current module and FlashBottom
    std::function<QString()> hexDir;
    std::function<void(const QString&)> setHexDir;
    std::function<QString(const QString& dir)> chooseHexFile;  // empty: cancelled
    std::function<QString(const QString& dir)> chooseBackupFile;
    std::function<bool()> systemLogOn;                          // "Протокол системных операций"
    std::function<void(const std::string&)> log;
    std::function<void(const QString&)> status;  // status panel 2
    std::function<void()> refreshFlash;          // as the Flash page's "Обновить"
    std::function<void()> refreshModulePage;     // the Module page change
    // Where a run shows its progress, its stop button and "Запись из памяти".
    RunPanel* panel = nullptr;
    QAction* mmRecHex = nullptr;
    QAction* verifyAfterWrite = nullptr;  // "Проверять после записи"
    QWidget* dialogParent = nullptr;  // also the parent of the offset and erase dialogs
};

class FirmwareActions : public QObject {
    Q_OBJECT
public:
    explicit FirmwareActions(FirmwareHost host, QObject* parent = nullptr);
    ~FirmwareActions() override;

    // Connects the run panel's buttons; called once they exist.
    void bindRunPanel();

    void mmLoadHexClick();
    void mmLoadHex_ShiftClick();
    void mmRecHexClick();
    void btnRecFromMemoryClick();
    void sbStopRecClick() { stopRequested_ = true; }
    void pmSys_ClFlClick();
    // Reads the module's Flash (from FlashBottom) and EEPROM into a HEX file.
    void backupClick();

    const FirmwareImages& images() const { return *images_; }
    // Where "Загрузить *.hex файл" gets its file from (a file dialog in the program).
    void setFileChooser(std::function<QString(const QString& dir)> chooser) {
        host_.chooseHexFile = std::move(chooser);
    }
    void setBackupChooser(std::function<QString(const QString& dir)> chooser) {
        host_.chooseBackupFile = std::move(chooser);
    }
    // Where a failed erase saves the kept bytes it could not put back; by default the
    // tester's log folder (beside the program, or the user's data folder).
    void setLostBytesFolder(const QString& folder) { lostBytesFolder_ = folder; }

private:
    // `LoadHexImage`: 0 when the file was read whole, 1 otherwise.
    int LoadHexImage();
    void writeStep();
    RunResult runWrite(const FirmwareTarget& target, bool& wroteAnything);
    void erase(const EraseRange& range);
    TFshiftFlash& shiftDialog();
    TFClear_FL& eraseDialog();

    FirmwareHost host_;
    TFshiftFlash* shift_ = nullptr;      // made when first opened
    TFClear_FL* eraseDialog_ = nullptr;  // made when first opened
    std::unique_ptr<FirmwareImages> images_;
    bool stopRequested_ = false;
    QString lostBytesFolder_;
};

}  // namespace velmora::firmware
