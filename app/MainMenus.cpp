#include "app/MainMenus.h"

#include <QMenuBar>

namespace velmora::app {

namespace {

QAction* item(QMenu* menu, const char* name, const QString& caption, bool enabled = true) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    a->setEnabled(enabled);
    return a;
}

QAction* check(QMenu* menu, const char* name, const QString& caption, bool checked) {
    QAction* a = item(menu, name, caption);
    a->setCheckable(true);
    a->setChecked(checked);
    return a;
}

QMenu* submenu(QMenu* parent, const char* name, const QString& caption) {
    QMenu* m = parent->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    return m;
}

QMenu* topMenu(QMainWindow* w, const char* name, const QString& caption) {
    QMenu* m = w->menuBar()->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    return m;
}

}  // namespace

const std::array<FormatHint, 12>& formatHints() {
    static const std::array<FormatHint, 12> hints = {{
        {"rdRAM", "Чтение RAM", "Чтение RAM: <CID> <70> <hiAdr> <loAdr> <Nbyte>", false},
        {"wrRAM", "Запись RAM", "Запись RAM: <CID> <71> <hiAdr> <loAdr> <Nbyte> <dat1>..<datN>",
         false},
        {"rdBRAM", "Чтение бита RAM", "Чтение бита RAM: <CID> <72> <hiAdr> <loAdr><Nom_bit>",
         false},
        {"wrBRAM", "Запись бита RAM",
         "Запись бита RAM: <CID> <73> <hiAdr> <loAdr> <Nom_bit> <0/1..FF>", false},
        {"setStrSFR", "Уст-ка страницы SFR", "Уст стр SFR: <CID> <71> <0> <51> <1> <0>", true},
        {"rdEE", "Чтение EEPROM", "Чтение EEPROM: <CID> <74> <hiAdr> <loAdr> <Nbyte>", false},
        {"wrEE", "Запись EEPROM",
         "Запись EEPROM: <CID> <75> <hiAdr> <loAdr> <Nbyte> <dat1>..<datN>", true},
        {"rdFlash", "Чтение Flash", "Чтение FLASH: <CID> <76> <hiAdr> <loAdr> <Nbyte>", true},
        {"rdI2C", "Чтение i2c", "Чтение i2c: <CID> <7A> <Slave_Adr> <Word_Adr> <Nbyt>", false},
        {"wrI2C", "Запись i2c",
         "Запись i2c: <CID> <7B> <Slave_Adr> <Word_Adr> <Nbyt> <Dat1>..<DatN>", true},
        {"rdID", "Чтение идентификатора", "Чтение идентификатора: <CID> <78>", false},
        {"initMod", "Инициализация контроллера", "Инициализация модуля: <CID> <79> <55> <AA>",
         true},
    }};
    return hints;
}

MainMenus buildMainMenus(QMainWindow* w) {
    MainMenus m;
    w->menuBar()->setObjectName("mMenu");

    m.mmFile = topMenu(w, "mmFile", "Файл");
    m.mmSaveConfig = item(m.mmFile, "mmSaveConfig", "Сохранить конфигурацию", false);
    m.mmLoadConfig = item(m.mmFile, "mmLoadConfig", "Загрузить конфигурацию", false);
    m.mmFile->addSeparator();
    m.N11 = item(m.mmFile, "N11", "Сохранить данные как ...", false);
    m.mmFile->addSeparator();
    m.mmLoadHex = item(m.mmFile, "mmLoadHex", "Загрузить *.hex файл", false);
    m.mmFile->addSeparator();
    m.mmLoadHex_Shift =
        item(m.mmFile, "mmLoadHex_Shift", "Загрузить *hex файл со смещением", false);
    // Saves the selected module's Flash and EEPROM before a new firmware replaces them.
    m.mmBackupHex = item(m.mmFile, "mmBackupHex", "Сохранить прошивку модуля в *.hex файл", false);
    m.mmFile->addSeparator();
    m.N2 = item(m.mmFile, "N2", "Выход");

    m.mmSettings = topMenu(w, "mmSettings", "Настройки");
    m.mmComm1 = submenu(m.mmSettings, "mmComm1", "Comm порта");
    m.mmNomComm = item(m.mmComm1, "mmNomComm", "Номер Comm");
    m.mmFlow = check(m.mmSettings, "mmFlow", "Аппаратное управление потоком (RTS/CTS)", true);
    m.mmProt = check(m.mmSettings, "mmProt", "Протокол обмена по Modbus", false);
    m.mmProtSysOp = check(m.mmSettings, "mmProtSysOp", "Протокол системных операций", true);
    // Each protocol line starts with the time of day, to the millisecond.
    m.mmProtTime = check(m.mmSettings, "mmProtTime", "Время в протоколе", false);
    m.sys_Speed = submenu(m.mmSettings, "sys_Speed", "Системная скорость");
    m.speedGroup = new QActionGroup(w);
    m.speedGroup->setExclusive(true);
    const char* speedNames[] = {"mmSpeed1200",  "mmSpeed2400",  "mmSpeed9600",
                                "mmSpeed19200", "mmSpeed57600", "mmSpeed115200"};
    const char* speedCaptions[] = {"1200", "2400", "9600", "19200", "57600", "115200"};
    for (size_t i = 0; i < m.mmSpeed.size(); ++i) {
        m.mmSpeed[i] = check(m.sys_Speed, speedNames[i], speedCaptions[i], i == 5);
        m.speedGroup->addAction(m.mmSpeed[i]);
    }
    m.mmAutoskan = check(m.mmSettings, "mmAutoskan", "Автосканер", true);
    // The nodes a scan asks: a bench with three nodes need not wait for 255.
    m.mmScanRange = item(m.mmSettings, "mmScanRange", "Диапазон сканирования...");
    m.mmCRC = submenu(m.mmSettings, "mmCRC", "Передача/прием CRC");
    m.mmCRC_lo = check(m.mmCRC, "mmCRC_lo", "<мл байт><ст байт>", true);
    m.mmCRC_hi = check(m.mmCRC, "mmCRC_hi", "<ст байт><мл байт>", false);
    m.mmTipProc = submenu(m.mmSettings, "mmTipProc", "Тип процессора");
    m.mmSettings->addSeparator();
    m.mmRecHex = item(m.mmSettings, "mmRecHex", "Запись из памяти", false);
    m.mm_shiftFlash = item(m.mmSettings, "mm_shiftFlash", "Смещение FLASH");
    // Reads every written block and EEPROM byte back after programming.
    m.mmVerifyAfterWrite = check(m.mmSettings, "mmVerifyAfterWrite", "Проверять после записи", false);

    m.mmTools = topMenu(w, "mmTools", "Инструменты");
    m.mmBrowser = item(m.mmTools, "mmBrowser", "Окно просмотра", false);
    m.mmTester = item(m.mmTools, "mmTester", "Тестовый генератор", false);
    m.mmTerminal = item(m.mmTools, "mmTerminal", "Терминал", false);
    m.mmTools->menuAction()->setEnabled(false);

    m.N17 = topMenu(w, "N17", "О программе");
    m.mmAbout = item(m.N17, "mmAbout", "");

    m.pmProt = new QMenu(w);
    m.pmProt->setObjectName("pmProt");
    m.mmClear = item(m.pmProt, "mmClear", "Очистить");
    m.mmSaveProt = item(m.pmProt, "mmSaveProt", "Сохранить протокол");
    m.pmProt->addSeparator();
    m.loadKomm = submenu(m.pmProt, "loadKomm", "Создать команду");
    item(m.loadKomm, "loadRdRam", "чтение RAM/SFR");
    item(m.loadKomm, "loadWrRAM", "запись RAM/SFR");
    item(m.loadKomm, "loadRdFlash", "чтение Flash");
    item(m.loadKomm, "loadRdEE", "чтение EEPROM");
    item(m.loadKomm, "loadWrEE", "запись EEPROM");
    item(m.loadKomm, "loadRdI2C", "чтение i2c");
    item(m.loadKomm, "loadWrI2C", "запись i2c");
    QMenu* setStr = submenu(m.loadKomm, "loadSetStr", "Уст-ка страницы  i2c");
    item(setStr, "loadStr0", "0...0x7F/SFR");
    item(setStr, "loadStr1", "0x100...0x1FF")->setVisible(false);
    item(setStr, "loadStr2", "0x200...0x2FF")->setVisible(false);
    m.loadKomm->menuAction()->setEnabled(false);
    m.N8 = submenu(m.pmProt, "N8", "Формат команды");
    for (const FormatHint& h : formatHints()) {
        item(m.N8, h.name, h.caption);
        if (h.separatorAfter && &h != &formatHints().back()) m.N8->addSeparator();
    }
    m.loadKommSet = item(m.pmProt, "loadKommSet", "Загрузить набор команд");
    m.mmDecode = item(m.pmProt, "mmDecode", "Разобрать кадр");
    m.pmProt->addSeparator();
    m.Browser1 = item(m.pmProt, "Browser1", "Окно просмотра", false);
    m.N10 = item(m.pmProt, "N10", "Тестовый генератор", false);

    m.mmModul = new QMenu(w);
    m.mmModul->setObjectName("mmModul");
    m.pmAddModulModbas = item(m.mmModul, "pmAddModulModbas", "Добавить модуль на Modbus", false);
    m.N4 = item(m.mmModul, "N4", "Версия");

    m.pmFlash = new QMenu(w);
    m.pmFlash->setObjectName("pmFlash");
    m.pmSys_InitModul = item(m.pmFlash, "pmSys_InitModul", "Инициализировать модуль", false);
    m.pmFlash->addSeparator();
    m.pmSys_ClFl = item(m.pmFlash, "pmSys_ClFl", "Очистить Flash", false);
    m.pmSys_ClFl->setVisible(false);

    m.pmRAM = new QMenu(w);
    m.pmRAM->setObjectName("pmRAM");
    m.N14 = item(m.pmRAM, "N14", "Инициализировать модуль", false);
    m.pmRAM->addSeparator();
    m.pmRAM_ShowVar = item(m.pmRAM, "pmRAM_ShowVar", "Просмотр переменной", false);
    return m;
}

}  // namespace velmora::app
