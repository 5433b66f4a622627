#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// Line settings of the serial port: the settings text "9600,n,8,1".
struct PortSettings {
    qint32 baud = 9600;
    char parity = 'n';
    int dataBits = 8;
    int stopBits = 1;
    bool operator==(const PortSettings&) const = default;
};

// Parses a settings text; error 5 when it is not of the form baud,parity,data,stop.
PortSettings parseSettings(const QString& text);
QString settingsText(const PortSettings& settings);

// A serial device under the serial control. Failures raise RuntimeError: 8002 no such device,
// 8005 held by another program, 8015 the line settings could not be applied, 8020 read failed.
class SerialDevice : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual void open(const QString& path, const PortSettings& settings) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual void apply(const PortSettings& settings) = 0;
    virtual qint64 bytesAvailable() const = 0;
    virtual QByteArray read(qint64 maxBytes) = 0;
    // Hands the bytes to the operating system at once.
    virtual void write(const QByteArray& bytes) = 0;
    // Raises no readyRead for up to `ms` milliseconds: bytes that arrive meanwhile are still read
    // from the system as they come, and wait in the program to be taken in one event.
    // releaseReads() ends the hold early, takes what the system holds and raises readyRead when
    // bytes wait. A device that cannot wait ignores both.
    virtual void holdReads(int ms) { Q_UNUSED(ms); }
    virtual void releaseReads() {}
    virtual bool readsHeld() const { return false; }
signals:
    // New bytes are waiting.
    void readyRead();
    // A line event or line error other than received data (the serial control's event codes).
    void lineEvent(int code);
    // The device is going: what it still holds can be read now, and the port closes right after.
    void losing();
    // The device went away while open. It is already closed when this is emitted.
    void lost();
};
