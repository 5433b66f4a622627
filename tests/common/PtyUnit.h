#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A pseudo-terminal playing the unit: the program opens the slave side as its serial port, the
// test reads and writes the master side.
class PtyUnit {
public:
    PtyUnit();
    ~PtyUnit();
    PtyUnit(const PtyUnit&) = delete;
    PtyUnit& operator=(const PtyUnit&) = delete;

    QString slavePath() const { return m_slavePath; }
    // Sends bytes to the program.
    void send(const QByteArray& bytes);
    // Reads what the program sent, waiting up to timeoutMs for at least `atLeast` bytes.
    QByteArray receive(int atLeast, int timeoutMs);
    // Bytes sent that wait in the system for the program to read them.
    int waiting() const;
    // The speed the program set on the line.
    int baudRate() const;
    // Hangs the line up as the kernel does when a USB adapter is pulled out: what waits unread
    // is discarded, and the program's reads find the end of the file. False when not allowed
    // (it needs CAP_SYS_ADMIN).
    bool hangUp();

private:
    int m_master = -1;
    int m_slave = -1; // kept open so that the line stays up until the unit goes
    QString m_slavePath;
};

// A port folder: links comN to devices, installed as BRENIX_PORT_DIR while it lives.
class PortDir {
public:
    PortDir();
    ~PortDir();
    void link(int port, const QString& device);
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_previous;
};
