// The main window offscreen with the kind of adapter found on a real bench: the RTS/CTS
// handshake switched off and on (many USB adapters leave CTS unwired, so with the
// handshake on nothing ever leaves), and a port dialog that tells two adapters of the
// same make apart.

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QAccessible>
#include <QFile>
#include <QTest>

#include "app/TFselectComm.h"
#include "app/uVelmora.h"
#include "link/OperationKind.h"
#include "tests/support/FakeSerialDriver.h"
#include "tests/support/WindowFixture.h"

using namespace velmora;
using namespace velmora::app;
using velmora::testing::MainWindow;
using velmora::testing::whenModal;

namespace {

// What the terminal driver holds for the device, as any other program would see it.
std::optional<bool> handshakeOnLine(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    termios t{};
    const bool ok = ::tcgetattr(fd, &t) == 0;
    ::close(fd);
    if (!ok) return std::nullopt;
    return (t.c_cflag & CRTSCTS) != 0;
}

QString settingsText(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

}  // namespace

TEST_F(MainWindow, HandshakeSettingReachesTheOpenPortAtOnce) {
    TFTerminal& w = start();
    QAction* flow = action("mmFlow");
    ASSERT_NE(flow, nullptr);
    EXPECT_TRUE(flow->isCheckable());
    EXPECT_TRUE(flow->isChecked());  // a settings file without the key: as before, on
    EXPECT_EQ(handshakeOnLine(adapterPath()), true);

    flow->trigger();
    EXPECT_FALSE(flow->isChecked());
    EXPECT_EQ(handshakeOnLine(adapterPath()), false);
    // Nothing else about the link changed: the module still answers.
    EXPECT_EQ(w.engine().transact({1, link::rdRAM, 0x50, 4, 0, 1}, {}, {}).code, 0);

    flow->trigger();
    EXPECT_EQ(handshakeOnLine(adapterPath()), true);
    flow->trigger();
    closeWindow();
    EXPECT_TRUE(settingsText(options.settingsPath).contains("\r\nFlow=0\r\n"))
        << settingsText(options.settingsPath).toStdString();
}

TEST_F(MainWindow, HandshakeOffInTheFileIsOffFromTheStart) {
    writeSettings("[Comm]\r\nFlow=0\r\n");
    TFTerminal& w = start();
    EXPECT_FALSE(action("mmFlow")->isChecked());
    EXPECT_EQ(handshakeOnLine(adapterPath()), false);
    EXPECT_EQ(w.engine().transact({1, link::rdRAM, 0x50, 4, 0, 1}, {}, {}).code, 0);
    // Reopening the port (the port dialog's "Закрыть") keeps the setting.
    w.Comm().close();
    whenModal([&](QWidget* dialog) { static_cast<TFselectComm*>(dialog)->Button1->click(); });
    w.mmNomCommClick();
    ASSERT_TRUE(w.Comm().isOpen());
    EXPECT_EQ(handshakeOnLine(adapterPath()), false);
    closeWindow();
    EXPECT_TRUE(settingsText(options.settingsPath).contains("Flow=0\r\n"));
}

namespace {

// Two adapters of one make on one machine: only the serial number and the by-id link
// tell them apart.
QList<link::PortFacts> twoTwins() {
    link::PortFacts a;
    a.path = "/dev/ttyUSB0";
    a.description = "FT232R USB UART";
    a.manufacturer = "FTDI";
    a.serialNumber = "A10K3XQ1";
    a.vendorId = 0x0403;
    a.productId = 0x6001;
    a.byIdLink = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XQ1-if00-port0";
    link::PortFacts b = a;
    b.path = "/dev/ttyUSB1";
    b.serialNumber = "A10K3XQ9";
    b.byIdLink = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XQ9-if00-port0";
    link::PortFacts builtIn;
    builtIn.path = "/dev/ttyS0";
    return {builtIn, a, b};
}

}  // namespace

TEST_F(MainWindow, PortDialogTellsIdenticalAdaptersApart) {
    options.portFacts = twoTwins;
    TFTerminal& w = start();
    QStringList entries;
    QString details, shownFor1, tip1;
    whenModal([&](QWidget* dialog) {
        auto* select = static_cast<TFselectComm*>(dialog);
        for (int i = 0; i < select->DB1->count(); ++i) entries << select->DB1->itemText(i);
        // The port in use is the last entry (the system never lists a pseudo-terminal)
        // and its facts are shown.
        EXPECT_EQ(select->DB1->currentIndex(), 3);
        details = select->lbPortInfo->text();
        select->DB1->setCurrentIndex(1);
        shownFor1 = select->lbPortInfo->text();
        tip1 = select->DB1->itemData(1, Qt::ToolTipRole).toString();
        EXPECT_FALSE(select->lbOpenProblem->isVisible());
        // Back to the port in use, so "Закрыть" keeps it.
        select->DB1->setCurrentIndex(3);
        select->Button1->click();
    });
    w.mmNomCommClick();
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries[0], "COM1");
    EXPECT_NE(entries[1], entries[2]);
    EXPECT_TRUE(entries[1].contains("A10K3XQ1"));
    EXPECT_TRUE(entries[2].contains("A10K3XQ9"));
    EXPECT_TRUE(entries[1].startsWith("/dev/ttyUSB0"));
    EXPECT_TRUE(entries[1].contains("FT232R USB UART"));
    EXPECT_EQ(entries[3], adapterPath());
    EXPECT_TRUE(details.contains(adapterPath()));
    EXPECT_TRUE(shownFor1.contains("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XQ1-if00-port0"));
    EXPECT_TRUE(shownFor1.contains("0403:6001"));
    EXPECT_TRUE(shownFor1.contains("FTDI"));
    EXPECT_EQ(tip1, shownFor1);
    EXPECT_TRUE(w.Comm().isOpen());
    EXPECT_EQ(w.Comm().devicePath(), adapterPath());
}

TEST_F(MainWindow, PortChosenByKeysInTheDialogIsTheOneOpened) {
    // A second pseudo-terminal stands for another adapter on the machine.
    sim::ModuleNetwork other;
    std::string error;
    ASSERT_TRUE(sim::loadConfig(sim::defaultConfig(), other, error)) << error;
    sim::PtyOptions o;
    o.linkPath = inDir("second").toStdString();
    sim::PtyServer second(other, o);
    ASSERT_TRUE(second.open(error)) << error;
    second.start();
    options.portFacts = [&] {
        link::PortFacts f;
        f.path = inDir("second");
        f.description = "USB-Serial Controller";
        return QList<link::PortFacts>{f};
    };
    TFTerminal& w = start();
    whenModal([&](QWidget* dialog) {
        auto* select = static_cast<TFselectComm*>(dialog);
        ASSERT_EQ(select->DB1->count(), 2);
        select->DB1->setCurrentIndex(0);  // arrow keys move the current entry like this
        select->Button1->click();
    });
    w.mmNomCommClick();
    EXPECT_EQ(w.Comm().devicePath(), inDir("second"));
    EXPECT_TRUE(w.Comm().isOpen());
    second.stop();
}

TEST(PortDialog, DetailsSayWhetherTheDriverHandsRepliesOverAtOnce) {
    sim::ModuleNetwork network;
    std::string error;
    ASSERT_TRUE(sim::loadConfig(sim::defaultConfig(), network, error)) << error;
    sim::PtyServer server(network, {});
    ASSERT_TRUE(server.open(error)) << error;
    velmora::testing::FakeSerialDriver driver;
    link::TnrComm comm;
    comm.setSerialSettingsIo(&driver);
    comm.setChoice({1, QString::fromStdString(server.devicePath())});
    for (const bool takes : {true, false}) {
        driver.takesChanges = takes;
        ASSERT_TRUE(comm.open());
        TFselectComm dialog(comm, {}, nullptr, [] { return QList<link::PortFacts>{}; });
        dialog.refreshList();
        EXPECT_TRUE(dialog.lbPortInfo->text().endsWith(takes ? "Режим низкой задержки: включён"
                                                             : "Режим низкой задержки: недоступен"))
            << dialog.lbPortInfo->text().toStdString();
        comm.close();
    }
    // A port not open says nothing of it: its driver has not been asked.
    TFselectComm dialog(comm, {}, nullptr, [] { return QList<link::PortFacts>{}; });
    dialog.refreshList();
    EXPECT_FALSE(dialog.lbPortInfo->text().contains("задержки"));
}
