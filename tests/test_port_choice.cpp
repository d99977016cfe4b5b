// Port numbers and device paths.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/TFselectComm.h"
#include "link/qt/PortChoice.h"
#include "link/qt/PortFacts.h"

using namespace velmora;
using namespace velmora::link;

TEST(PortChoice, NumbersAreTheBuiltInPorts) {
    EXPECT_EQ(devicePath(PortChoice{1, {}}), "/dev/ttyS0");
    EXPECT_EQ(devicePath(PortChoice{2, {}}), "/dev/ttyS1");
    EXPECT_EQ(devicePath(PortChoice{2, "/dev/ttyUSB0"}), "/dev/ttyUSB0");
    EXPECT_EQ(portDisplayName("/dev/ttyS0"), "COM1");
    EXPECT_EQ(portDisplayName("/dev/ttyS12"), "COM13");
    EXPECT_EQ(portDisplayName("/dev/ttyACM0"), "/dev/ttyACM0");
}

TEST(PortChoice, PickedFromTheList) {
    EXPECT_EQ(choiceForDevice("/dev/ttyS2", 0).number, 3);
    EXPECT_TRUE(choiceForDevice("/dev/ttyS2", 0).path.isEmpty());
    EXPECT_EQ(choiceForDevice("/dev/ttyUSB0", 4).number, 5);
    EXPECT_EQ(choiceForDevice("/dev/ttyUSB0", 4).path, "/dev/ttyUSB0");
}

TEST(PortChoice, TypedPortNames) {
    EXPECT_EQ(parsePortArgument("3").number, 3);
    EXPECT_TRUE(parsePortArgument("3").path.isEmpty());
    EXPECT_EQ(parsePortArgument("/dev/serial/by-id/usb-FTDI").path, "/dev/serial/by-id/usb-FTDI");
    EXPECT_EQ(app::portChoiceFromText("COM4")->number, 4);
    EXPECT_TRUE(app::portChoiceFromText("com4")->path.isEmpty());
    EXPECT_EQ(app::portChoiceFromText(" /dev/pts/7 ")->path, "/dev/pts/7");
    EXPECT_FALSE(app::portChoiceFromText("  ").has_value());
    EXPECT_EQ(app::portChoiceFromText("COMX")->path, "COMX");
}

// The by-id folder as udev makes it: one link per adapter, named after its maker,
// model and serial number, pointing at whatever ttyUSBn it got this time.
TEST(PortFacts, ByIdLinksNameTheDeviceTheyPointAt) {
    QTemporaryDir dir;
    const QString byId = dir.path() + "/by-id";
    ASSERT_TRUE(QDir().mkpath(byId));
    QFile dev1(dir.path() + "/ttyUSB0"), dev2(dir.path() + "/ttyUSB1");
    ASSERT_TRUE(dev1.open(QIODevice::WriteOnly) && dev2.open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::link("../ttyUSB0", byId + "/usb-FTDI_FT232R_USB_UART_A1-if00-port0"));
    ASSERT_TRUE(QFile::link(dir.path() + "/ttyUSB1", byId + "/usb-FTDI_FT232R_USB_UART_A9-if00-port0"));
    ASSERT_TRUE(QFile::link("../gone", byId + "/usb-Prolific-if00-port0"));  // unplugged
    QFile plain(byId + "/README");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));

    const QMap<QString, QString> links = byIdLinks(byId);
    const QString canon = QFileInfo(dir.path()).canonicalFilePath();
    ASSERT_EQ(links.size(), 2);
    EXPECT_EQ(links.value(canon + "/ttyUSB0"), byId + "/usb-FTDI_FT232R_USB_UART_A1-if00-port0");
    EXPECT_EQ(links.value(canon + "/ttyUSB1"), byId + "/usb-FTDI_FT232R_USB_UART_A9-if00-port0");
    EXPECT_TRUE(byIdLinks(dir.path() + "/no-such-folder").isEmpty());
}

TEST(PortFacts, ListEntriesSayWhatIsKnownOnce) {
    auto facts = [](const char* path, const char* description, const char* maker, const char* serial) {
        PortFacts f;
        f.path = path;
        f.description = description;
        f.manufacturer = maker;
        f.serialNumber = serial;
        return f;
    };
    const std::pair<PortFacts, QString> cases[] = {
        {facts("/dev/ttyS0", "", "", ""), "COM1"},
        {facts("/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A10K3XQ1"),
         "/dev/ttyUSB0 — FT232R USB UART, FTDI, s/n A10K3XQ1"},
        // a maker already named in the description is not said twice
        {facts("/dev/ttyUSB1", "Prolific USB-Serial Controller", "Prolific", ""),
         "/dev/ttyUSB1 — Prolific USB-Serial Controller"},
        {facts("/dev/ttyACM0", "", "", "0001"), "/dev/ttyACM0 — s/n 0001"},
        {facts("/dev/ttyS3", "16550A", "", ""), "COM4 — 16550A"},
    };
    for (const auto& [f, entry] : cases) EXPECT_EQ(portListEntry(f), entry);

    PortFacts full = facts("/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A10K3XQ1");
    full.vendorId = 0x0403;
    full.productId = 0x6001;
    full.byIdLink = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XQ1-if00-port0";
    EXPECT_EQ(portDetails(full),
              "Устройство: /dev/ttyUSB0\nОписание: FT232R USB UART\nПроизводитель: FTDI\n"
              "Серийный номер: A10K3XQ1\nVID:PID: 0403:6001\n"
              "Постоянное имя: /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XQ1-if00-port0");
    EXPECT_EQ(portDetails(facts("/dev/pts/4", "", "", "")), "Устройство: /dev/pts/4");
}
