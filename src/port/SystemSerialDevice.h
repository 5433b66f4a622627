#pragma once

#include "SerialDevice.h"

#include <QLockFile>
#include <QSocketNotifier>
#include <QTimer>

#include <memory>
#include <termios.h>

// The real serial device, on the operating system's own calls: the program holds the
// descriptor and is its one reader. At every wake-up of the descriptor it reads what the system
// holds until the system has no more, so that a hang-up, which discards what waits unread in the
// system, loses nothing that had arrived. While reads are held (a slow stream, one receive event
// per pass of the pane) the bytes read wait in the program and readyRead waits for the release.
// A read that finds the line hung up (end of file, EIO) or any other read error is a
// lost device: what was read before is handed over first (`losing`), then the port closes and
// `lost` is emitted, once.
//
// Opening takes the port as other serial programs can see it held, and fails (8005) when
// another program holds it any of these ways: a lock file in the system's lock folder (the one
// Qt's serial port takes), exclusive use (TIOCEXCL, which the system enforces for everyone but
// root) and an exclusive flock.
class SystemSerialDevice : public SerialDevice {
public:
    explicit SystemSerialDevice(QObject* parent = nullptr);
    ~SystemSerialDevice() override;
    void open(const QString& path, const PortSettings& settings) override;
    void close() override;
    bool isOpen() const override { return m_fd >= 0; }
    void apply(const PortSettings& settings) override;
    qint64 bytesAvailable() const override { return m_buffer.size(); }
    QByteArray read(qint64 maxBytes) override;
    void write(const QByteArray& bytes) override;
    void holdReads(int ms) override;
    void releaseReads() override;
    bool readsHeld() const override { return m_held; }

    // At most this many received bytes wait in the program; beyond that the system's buffer
    // holds the rest and a pseudo-terminal's writer waits, so one event never takes megabytes.
    static constexpr qint64 kReadBufferBytes = 512 * 1024;

private:
    // How long a write waits for room in the line's output buffer before it fails.
    static constexpr int kWriteWaitMs = 200;
    // Reads what the system holds, until it has no more or the buffer is full. Returns false when
    // the line is lost (end of file, or an error other than "no more now").
    bool readAvailable();
    void onReadable();
    int m_fd = -1;
    struct termios m_original {}; // put back when the port closes
    std::unique_ptr<QLockFile> m_lock;
    QSocketNotifier* m_notifier = nullptr; // watches the descriptor while open
    QByteArray m_buffer;
    bool m_held = false;
    QTimer m_holdEnd;
};
