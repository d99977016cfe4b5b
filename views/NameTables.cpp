#include "views/NameTables.h"

#include "common/HexText.h"

namespace velmora::views {

const std::array<std::string_view, 128> SFRNames = {
    "PORTA",   "PORTB",   "PORTC",   "PORTD",  "PORTE",   "PORTF",    "PORTG",    "SFR_87",
    "SFR_88",  "LATA",    "LATB",    "LATC",   "LATD",    "LATE",     "LATF",     "LATG",
    "SFR_90",  "SFR_91",  "TRISA",   "TRISB",  "TRISC",   "TRISD",    "TRISE",    "TRISF",
    "TRISG",   "SFR_99",  "SFR_9A",  "SFR_9B", "SFR_9C",  "PIE1",     "PIR1",     "IPR1",
    "PIE2",    "PIR2",    "IPR2",    "SFR_A3", "SFR_A4",  "SFR_A5",   "EECON1",   "EECON2",
    "EEDATA",  "EEADR",   "EEADRH",  "RCSTA",  "TXSTA",   "TXREG",    "RCREG",    "SPBRG",
    "SPBRGH",  "T3CON",   "TMR3L",   "TMR3H",  "CMCON",   "CVRCON",   "SFR_B6",   "SFR_B7",
    "BAUDCON", "SFR_B9",  "CCP2CON", "CCPR2L", "CCPR2H",  "CCP1CON",  "CCPR1L",   "CCPR1H",
    "ADCON2",  "ADCON1",  "ADCON0",  "ADRESL", "ADRESH",  "SSPCON2",  "SSPCON1",  "SSPSTAT",
    "SSPADD",  "SSPBUF",  "T2CON",   "PR2",    "TMR2",    "T1CON",    "TMR1L",    "TMR1H",
    "RCON",    "WDTCON",  "LVDCON",  "OSCCON", "DEBUG",   "T0CON",    "TMROL",    "TMR0H",
    "STATUS",  "FSR2L",   "FSR2H",   "PLUSW2", "PREINC2", "POSTDEC2", "POSTINC2", "INDF2",
    "BSR",     "FSR1L",   "FSR1H",   "PLUSW1", "PREINC1", "POSTDEC1", "POSTINC1", "INDF1",
    "WREG",    "FSROL",   "FSROH",   "PLUSW0", "PREINC0", "POSTDEC0", "POSTINC0", "INDF0",
    "INTCON3", "INTCON2", "INTCON",  "PRODL",  "PRODH",   "TABLAT",   "TBLPTRL",  "TBLPTRH",
    "TBLPTRU", "PCL",     "PCLATH",  "PCLATU", "STKPTR",  "TOSL",     "TOSH",     "TOSU",
};

namespace {
constexpr std::array<std::string_view, 16> kMonitorNames = {
    "REG_USER",     "REG_PAGE",     "SYS_RAM 0x02", "REG_MODBUS",   "SYS_RAM 0x04", "SYS_RAM 0x05",
    "SYS_RAM 0x06", "SYS_RAM 0x07", "REG_LEN",      "SYS_RAM 0x09", "SYS_RAM 0x0A", "SYS_RAM 0x0B",
    "mLAN_RUN",     "mLAN_MASK_RA", "mLAN_MASK_RB", "mLAN_MASK_RC",
};
constexpr std::array<std::string_view, 16> kEeHints = {
    "Номер версии мл. байт",
    "Номер версии ст. байт",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "User Wector мл. байт.",
    "User Wector ст. байт.",
    "Baud Rate генератор мл. байт",
    "Baud Rate генератор ст. байт",
    "Адрес на Modbus",
    "Адрес на i2c",
};
}  // namespace

std::optional<std::string> sysRamName(uint16_t address) {
    if (address < kMonitorFirst || address > kMonitorLast) return std::nullopt;
    const unsigned i = address - kMonitorFirst;
    if (i < kMonitorNames.size()) return std::string(kMonitorNames[i]);
    return "SYS_RAM 0x" + hexNumber(i, 2);
}

std::optional<std::string_view> eeHintName(uint16_t address) {
    if (address < 0xF0 || address > 0xFF) return std::nullopt;
    return kEeHints[address - 0xF0];
}

std::optional<uint16_t> sfrAddress(std::string_view name) {
    for (size_t i = 0; i < SFRNames.size(); ++i)
        if (SFRNames[i] == name) return static_cast<uint16_t>(kSfrBase + i);
    return std::nullopt;
}

}  // namespace velmora::views
