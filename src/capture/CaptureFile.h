#pragma once

#include <QByteArray>
#include <QString>

// File number 1: the capture file. Opened for raw writing without truncation; every write goes
// straight to the operating system, so nothing already received is lost in a crash.
// Failures raise RuntimeError with the runtime's file error numbers.
class CaptureFile {
public:
    // The one file number the program writes.
    static CaptureFile& number1();

    ~CaptureFile();

    // Opens (creating when missing, never truncating) for writing. The no-name marker "????"
    // is refused with error 52 so that it never creates a file.
    void open(const QString& path);
    bool isOpen() const { return m_fd >= 0; }
    qint64 length() const;
    // Sets the 1-based position of the next write.
    void seek(qint64 position);
    // Writes the text, one byte per character in the ANSI code page, at the current position.
    void write(const QString& text);
    void writeBytes(const QByteArray& bytes);
    void close();

    // Closes every open file.
    static void closeAll();
    // Deletes a file; deleting the open capture file is refused with error 70.
    static void kill(const QString& path);
    // True only for an existing file (not a folder).
    static bool exists(const QString& path);

private:
    int m_fd = -1;
};
