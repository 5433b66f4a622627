#pragma once

#include "port/SerialDevice.h"

#include <QSet>

#include <functional>

// A scriptable serial device for tests: data, line events and failures are injected by hand.
class FakeSerialDevice : public SerialDevice {
    Q_OBJECT
public:
    using SerialDevice::SerialDevice;

    // Script: which paths exist and which are held by another program (all exist when
    // `present` is empty); error numbers raised by the next applies, reads and closes (0: none).
    QSet<QString> present;
    QSet<QString> busy;
    int failApplyWith = 0;
    int failReadWith = 0;
    int failCloseWith = 0;

    // What was written to the line.
    QByteArray written;
    // Called with each write, as it happens.
    std::function<void(const QByteArray&)> onWrite;

    // Queues bytes as arrived from the line and reports them.
    void inject(const QByteArray& bytes);
    // Reports a line event or line error with the serial control's code.
    void injectEvent(int code);

    void open(const QString& path, const PortSettings& settings) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    void apply(const PortSettings& settings) override;
    qint64 bytesAvailable() const override { return m_buffer.size(); }
    QByteArray read(qint64 maxBytes) override;
    void write(const QByteArray& bytes) override;

private:
    bool m_open = false;
    QByteArray m_buffer;
};
