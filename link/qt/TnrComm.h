#pragma once
// The program's one serial port. Opening never throws: a failure raises fatalError.
// A lost device (read or write errors after the far end went away) closes the port once
// and raises deviceLost once.

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QStringList>
#include <QTimer>

#include "link/LinkPorts.h"
#include "link/LowLatency.h"
#include "link/qt/PortChoice.h"

namespace velmora::link {

// A terminal display that can borrow the port: it sees received bytes and sends what
// the user types.
class TerminalSink {
public:
    virtual ~TerminalSink() = default;
    virtual void terminalReceived(const QByteArray& bytes) = 0;
};

class TnrComm : public QObject, public LineOut {
    Q_OBJECT
public:
    explicit TnrComm(QObject* parent = nullptr);
    ~TnrComm() override;

    // Opening an open port and closing a closed one do nothing.
    bool open();
    void close();
    bool isOpen() const { return port_.isOpen(); }
    // After a failed open for lack of rights: what is wrong and the fix, in Russian;
    // empty after any other failure and after a successful open.
    QString openAdvice() const { return openAdvice_; }

    // Switching the port closes the open one and opens the new one.
    PortChoice choice() const { return choice_; }
    void setChoice(const PortChoice& choice);
    int portNumber() const { return choice_.number; }
    QString devicePath() const { return link::devicePath(choice_); }

    uint32_t baud() const override { return baud_; }
    void setBaud(uint32_t baud);
    // RTS/CTS handshake. Many USB adapters leave CTS unwired; with the handshake on,
    // nothing they are given ever leaves.
    void setHardwareFlow(bool on);
    bool hardwareFlow() const { return hardwareFlow_; }
    // Whether the driver of the open port hands replies over at once (its low-latency
    // mode, asked for at each open); false on a closed port.
    bool lowLatency() const { return port_.isOpen() && lowLatency_.on; }
    // Where the device's serial settings are read and written (the system's ioctls
    // unless a test plays the driver); for the opens that follow.
    void setSerialSettingsIo(SerialSettingsIo* io) { serialIo_ = io ? io : &systemSerialSettings(); }

    // LineOut: queues the bytes and returns; nothing happens on a closed port. What has
    // not left the port within the write time-out (held back by the handshake, say) is
    // dropped, so it can never go out later in the middle of another exchange.
    void send(const uint8_t* data, size_t count) override;
    void discardInput() override;
    bool hasWireTime() const override { return wireTime_; }
    qint64 pendingOutput() const { return port_.bytesToWrite(); }
    static constexpr int kWriteTimeoutMs = 100;
    void sendText(const QByteArray& text);

    void attachTerminal(TerminalSink* sink, bool echo);
    void detachTerminal();
    // Keys typed into the attached terminal.
    void typed(const QByteArray& bytes);

    // The ports present plus the one in use (a pseudo-terminal is never listed).
    QStringList portList() const;

signals:
    void received(const QByteArray& bytes);
    void fatalError(const QString& message);
    void opened();
    void deviceLost();

private:
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    void finishLoss();
    void applyLineSettings();
    void writeTimedOut();
    void closePort();

    QSerialPort port_;
    QTimer writeTimeout_;
    PortChoice choice_;
    uint32_t baud_ = 9600;
    bool hardwareFlow_ = true;
    bool wireTime_ = false;
    QString openAdvice_;
    bool opening_ = false;
    bool lossPending_ = false;
    TerminalSink* terminal_ = nullptr;
    bool terminalEcho_ = false;
    SerialSettingsIo* serialIo_ = &systemSerialSettings();
    LowLatency lowLatency_;
};

}  // namespace velmora::link
