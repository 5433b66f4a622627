#pragma once

#include <QByteArray>
#include <QString>

// File number 1: the capture file. Opened for appending without truncation and locked while
// open; every write goes straight to the operating system, so nothing already received is lost
// in a crash.
// Failures raise RuntimeError with the runtime's file error numbers.
class CaptureFile {
public:
    // The one file number the program writes.
    static CaptureFile& number1();

    ~CaptureFile();

    // Opens (creating when missing, never truncating) for appending, with an exclusive lock.
    // The no-name marker "????" is refused with error 52 so that it never creates a file; a
    // file another instance holds with 70; anything but a regular file with 75, at once.
    void open(const QString& path);
    bool isOpen() const { return m_fd >= 0; }
    qint64 length() const;
    // True when the file ends inside a line: a capture stopped by a failed write.
    bool endsMidLine() const;
    // Writes the text, one byte per character in the ANSI code page, at the current position.
    void write(const QString& text);
    void writeBytes(const QByteArray& bytes);
    void close();

    // Closes every open file.
    static void closeAll();
    // Deletes a file; deleting the open capture file is refused with error 70.
    static void kill(const QString& path);
    // True for anything at that path but a folder.
    static bool exists(const QString& path);

private:
    int m_fd = -1;
    QByteArray m_path;
};
