#pragma once

#include "SerialDevice.h"

#include <QSerialPort>

// The real serial device, on QSerialPort.
class QtSerialDevice : public SerialDevice {
    Q_OBJECT
public:
    explicit QtSerialDevice(QObject* parent = nullptr);
    void open(const QString& path, const PortSettings& settings) override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    void apply(const PortSettings& settings) override;
    qint64 bytesAvailable() const override { return m_port.bytesAvailable(); }
    QByteArray read(qint64 maxBytes) override;
    void write(const QByteArray& bytes) override;

private:
    // How long a write waits for room in the line's output buffer before it fails.
    static constexpr int kWriteWaitMs = 200;
    void onError(QSerialPort::SerialPortError error);
    QSerialPort m_port;
};
