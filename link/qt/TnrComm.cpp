#include "link/qt/TnrComm.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "link/PortAccess.h"

namespace velmora::link {

namespace {
// Only a UART behind the device makes bytes take their wire time: the 8250/16550 ports
// (major 4), USB serial adapters (188) and the low-density UARTs of boards (204). A
// pseudo-terminal, a device with a USB interface of its own (ttyACM) or a Bluetooth
// link hands a whole reply over at once.
bool hasUartBehind(int fd) {
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    const unsigned m = major(st.st_rdev);
    return m == 4 || m == 188 || m == 204;
}
}  // namespace

TnrComm::TnrComm(QObject* parent) : QObject(parent) {
    connect(&port_, &QSerialPort::readyRead, this, &TnrComm::onReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &TnrComm::onError);
    writeTimeout_.setSingleShot(true);
    writeTimeout_.setInterval(kWriteTimeoutMs);
    connect(&writeTimeout_, &QTimer::timeout, this, &TnrComm::writeTimedOut);
    connect(&port_, &QSerialPort::bytesWritten, this, [this] {
        if (port_.bytesToWrite() == 0) writeTimeout_.stop();
    });
}

TnrComm::~TnrComm() {
    closePort();
}

void TnrComm::closePort() {
    if (port_.isOpen()) putBackLatency(static_cast<int>(port_.handle()), lowLatency_, *serialIo_);
    lowLatency_ = {};
    port_.close();
}

bool TnrComm::open() {
    if (port_.isOpen()) return true;
    port_.setPortName(devicePath());
    opening_ = true;
    bool ok = port_.open(QIODevice::ReadWrite);
    if (ok) {
        applyLineSettings();
        // Modem-line control fails on pseudo-terminals; the port still works.
        port_.setDataTerminalReady(true);
        // Input that waited from before the open belongs to nobody.
        port_.clear();
        wireTime_ = hasUartBehind(static_cast<int>(port_.handle()));
        lowLatency_ = askLowLatency(static_cast<int>(port_.handle()), *serialIo_);
    }
    QString reason = port_.errorString();
    port_.clearError();
    opening_ = false;
    openAdvice_.clear();
    if (!ok) {
        if (auto problem = portPermissionProblem(devicePath().toStdString()))
            openAdvice_ = QString::fromStdString(permissionAdvice(*problem));
    }
    if (ok)
        emit opened();
    else
        emit fatalError(reason);
    return ok;
}

void TnrComm::close() {
    writeTimeout_.stop();
    if (port_.isOpen()) closePort();
}

void TnrComm::setChoice(const PortChoice& choice) {
    bool wasOpen = port_.isOpen();
    close();
    choice_ = choice;
    if (wasOpen) open();
}

void TnrComm::setBaud(uint32_t baud) {
    baud_ = baud;
    if (port_.isOpen()) port_.setBaudRate(static_cast<qint32>(baud));
}

void TnrComm::setHardwareFlow(bool on) {
    hardwareFlow_ = on;
    if (port_.isOpen())
        port_.setFlowControl(on ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl);
}

void TnrComm::applyLineSettings() {
    port_.setBaudRate(static_cast<qint32>(baud_));
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::OneStop);
    port_.setFlowControl(hardwareFlow_ ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl);
}

void TnrComm::send(const uint8_t* data, size_t count) {
    if (!port_.isOpen() || lossPending_) return;
    port_.write(reinterpret_cast<const char*>(data), static_cast<qint64>(count));
    if (port_.bytesToWrite() > 0) writeTimeout_.start();
}

void TnrComm::discardInput() {
    if (!port_.isOpen() || lossPending_) return;
    // Both the driver's queue and what Qt has already read into its own buffer.
    port_.clear(QSerialPort::Input);
    port_.readAll();
}

void TnrComm::writeTimedOut() {
    if (port_.isOpen() && port_.bytesToWrite() > 0) port_.clear(QSerialPort::Output);
}

void TnrComm::sendText(const QByteArray& text) {
    send(reinterpret_cast<const uint8_t*>(text.constData()), static_cast<size_t>(text.size()));
}

void TnrComm::attachTerminal(TerminalSink* sink, bool echo) {
    terminal_ = sink;
    terminalEcho_ = echo;
}

void TnrComm::detachTerminal() {
    terminal_ = nullptr;
}

void TnrComm::typed(const QByteArray& bytes) {
    sendText(bytes);
    if (terminal_ && terminalEcho_) terminal_->terminalReceived(bytes);
}

QStringList TnrComm::portList() const {
    QStringList list = presentPorts();
    QString current = devicePath();
    if (!list.contains(current)) list << current;
    return list;
}

void TnrComm::onReadyRead() {
    QByteArray bytes = port_.readAll();
    if (bytes.isEmpty()) return;
    if (terminal_) terminal_->terminalReceived(bytes);
    emit received(bytes);
}

void TnrComm::onError(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::NoError:
        case QSerialPort::TimeoutError:
        case QSerialPort::UnsupportedOperationError:
        case QSerialPort::NotOpenError:
            return;
        default:
            break;
    }
    if (opening_ || lossPending_ || !port_.isOpen()) return;
    // Qt 6.4 keeps reporting the same error at full speed while the port stays open;
    // the first one is enough. Closing from inside the signal is not safe, so queue it.
    lossPending_ = true;
    QMetaObject::invokeMethod(this, &TnrComm::finishLoss, Qt::QueuedConnection);
}

void TnrComm::finishLoss() {
    // The device has gone: there is nothing to put back.
    lowLatency_ = {};
    port_.close();
    port_.clearError();
    lossPending_ = false;
    emit deviceLost();
}

}  // namespace velmora::link
