#pragma once
// The main menu and the popup menus of the main window, with their captions, order,
// separators, check marks and start states. Every entry carries its name as its
// object name. Handlers are connected by the main window.

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <array>

namespace velmora::app {

struct MainMenus {
    // "Файл"
    QMenu* mmFile = nullptr;
    QAction* mmSaveConfig = nullptr;
    QAction* mmLoadConfig = nullptr;
    QAction* N11 = nullptr;
    QAction* mmLoadHex = nullptr;
    QAction* mmLoadHex_Shift = nullptr;
    QAction* mmBackupHex = nullptr;
    QAction* N2 = nullptr;
    // "Настройки"
    QMenu* mmSettings = nullptr;
    QMenu* mmComm1 = nullptr;
    QAction* mmNomComm = nullptr;
    QAction* mmFlow = nullptr;  // RTS/CTS handshake on the port
    QAction* mmProt = nullptr;
    QAction* mmProtSysOp = nullptr;
    QMenu* sys_Speed = nullptr;
    QActionGroup* speedGroup = nullptr;
    std::array<QAction*, 6> mmSpeed{};  // 1200, 2400, 9600, 19200, 57600, 115200
    QAction* mmAutoskan = nullptr;
    QMenu* mmCRC = nullptr;
    QAction* mmCRC_lo = nullptr;
    QAction* mmCRC_hi = nullptr;
    QMenu* mmTipProc = nullptr;
    QAction* mmRecHex = nullptr;
    QAction* mmVerifyAfterWrite = nullptr;
    QAction* mm_shiftFlash = nullptr;
    // "Инструменты"
    QMenu* mmTools = nullptr;
    QAction* mmBrowser = nullptr;
    QAction* mmTester = nullptr;
    QAction* mmTerminal = nullptr;
    // "О программе"
    QMenu* N17 = nullptr;
    QAction* mmAbout = nullptr;

    // Popup of the main page control and the Terminal page
    QMenu* pmProt = nullptr;
    QAction* mmClear = nullptr;
    QAction* mmSaveProt = nullptr;
    QMenu* loadKomm = nullptr;
    QMenu* N8 = nullptr;
    QAction* loadKommSet = nullptr;
    QAction* mmDecode = nullptr;  // "Разобрать кадр"
    QAction* mmProtTime = nullptr;
    QAction* mmScanRange = nullptr;
    QAction* Browser1 = nullptr;
    QAction* N10 = nullptr;
    // Popup of the system tree
    QMenu* mmModul = nullptr;
    QAction* pmAddModulModbas = nullptr;
    QAction* N4 = nullptr;
    // Popup of the Flash, EEPROM and SFR controls
    QMenu* pmFlash = nullptr;
    QAction* pmSys_InitModul = nullptr;
    QAction* pmSys_ClFl = nullptr;
    // Popup of the RAM grid
    QMenu* pmRAM = nullptr;
    QAction* N14 = nullptr;
    QAction* pmRAM_ShowVar = nullptr;
};

MainMenus buildMainMenus(QMainWindow* window);

// The console's format hints ("Формат команды"), in menu order.
struct FormatHint {
    const char* name;
    const char* caption;
    const char* hint;
    bool separatorAfter;
};
const std::array<FormatHint, 12>& formatHints();

}  // namespace velmora::app
