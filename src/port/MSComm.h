#pragma once

#include "SerialDevice.h"

#include <QObject>

#include <memory>

// Event codes of the serial control: received data, and two of the line errors a device may
// report (the receive path ignores every code but Receive).
namespace CommEv {
constexpr int Receive = 2;
constexpr int Break = 1001;
constexpr int Frame = 1004;
} // namespace CommEv

// The serial control: port number and settings for the next opening, open and close, the
// waiting input, output written through at once, and OnComm for every line event.
class MSComm : public QObject {
    Q_OBJECT
public:
    explicit MSComm(std::unique_ptr<SerialDevice> device = nullptr, QObject* parent = nullptr);
    ~MSComm() override;

    int CommPort() const { return m_commPort; }
    // Selects the port for the next opening; error 8005 while open, 5 outside 1 to 16.
    void setCommPort(int port);
    QString Settings() const { return settingsText(m_settings); }
    // Takes effect at the next opening, or at once when open (8015 when it cannot be applied).
    void setSettings(const QString& text);
    bool PortOpen() const { return m_device->isOpen(); }
    // Opens with CommPort and Settings (8002, 8005, 8015) or closes.
    void setPortOpen(bool open);
    // The bytes waiting, up to kMostWaitingBytes, so that one receive event never takes
    // megabytes (the next event follows at once for the rest).
    int InBufferCount();
    static constexpr qint64 kMostWaitingBytes = 64 * 1024;
    int InputLen() const { return m_inputLen; }
    void setInputLen(int length);
    // Removes up to InputLen waiting bytes (all of them when 0) and returns them unchanged.
    QByteArray Input();
    // Writes the bytes to the line at once.
    void Output(const QByteArray& bytes);
    int CommEvent() const { return m_commEvent; }

    // Raises no receive event for the next `ms` milliseconds: the device still reads every byte
    // as it comes, and they wait in the program to be taken in one event. releaseReads() ends
    // the hold and raises that event at once (nested) when bytes are waiting.
    void holdReads(int ms);
    void releaseReads();
    // Raises one receive event when bytes are waiting on the open port.
    void raiseReceiveIfWaiting();
    // Sets CommEvent to a receive, without raising it, when bytes are waiting on the open port
    // and reads are not held; whether they are.
    bool receiveWaiting();
    SerialDevice& device() { return *m_device; }

signals:
    void OnComm();
    // The open port's device is going; what it still holds can be read now, not later.
    void DeviceLosing();
    // The open port's device went away; the port is already closed. Emitted once per loss.
    void DeviceLost();

private:
    void raise(int code);
    std::unique_ptr<SerialDevice> m_device;
    qint64 m_taken = 0; // bytes the receive events have taken, to tell whether one took any
    int m_commPort = 1;
    PortSettings m_settings;
    int m_inputLen = 0;
    int m_commEvent = 0;
};
