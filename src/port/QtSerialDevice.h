#pragma once

#include "SerialDevice.h"

#include <QPointer>
#include <QSerialPort>
#include <QSocketNotifier>
#include <QTimer>

// The real serial device, on QSerialPort.
class QtSerialDevice : public SerialDevice {
    Q_OBJECT
public:
    explicit QtSerialDevice(QObject* parent = nullptr);
    void open(const QString& path, const PortSettings& settings) override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    void apply(const PortSettings& settings) override;
    qint64 bytesAvailable() const override { return m_pulled.size() + m_port.bytesAvailable(); }
    QByteArray read(qint64 maxBytes) override;
    void write(const QByteArray& bytes) override;
    void holdReads(int ms) override;
    void releaseReads() override;
    void pull(qint64 upTo) override;

    // At most this many received bytes wait in the program. While the receive path's allowance
    // holds events back, more stays in the operating system's buffer, and a pseudo-terminal's
    // writer waits, so one event never takes megabytes at once. At 38,400 baud this is over two
    // minutes of data; the allowance holds events back for at most 100 ms.
    static constexpr qint64 kReadBufferBytes = 512 * 1024;

    // pull() reads the system in pieces of this size.
    static constexpr qint64 kPullPieceBytes = 64 * 1024;

private:
    // How long a write waits for room in the line's output buffer before it fails.
    static constexpr int kWriteWaitMs = 200;
    void onError(QSerialPort::SerialPortError error);
    // EACCES when the user may not open the device (not in `dialout`), else 0.
    static int accessDenied(const QString& device);
    // The port's enabled read notifier, or none (held, full, closed).
    QSocketNotifier* readNotifier() const;
    QSerialPort m_port;
    // Bytes taken from the system by pull(), with everything QSerialPort had read before them:
    // they come before what is in QSerialPort's buffer.
    QByteArray m_pulled;
    // QSerialPort's own watch for bytes to read, switched off while reads are held.
    QPointer<QSocketNotifier> m_held;
    QTimer m_holdEnd;
};
