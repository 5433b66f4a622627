#pragma once

#include <QByteArray>
#include <QChar>
#include <QString>

// The single-byte ANSI code page: Windows-1252, with its five unassigned bytes mapped to the
// C1 control characters of the same value so that every byte value round-trips.
namespace CodePage {
QChar toChar(unsigned char byte);
// The byte for a character, or -1 when the code page cannot hold it.
int toByte(QChar ch);
QString toString(const QByteArray& bytes);
// Characters the code page cannot hold become '?'.
QByteArray toBytes(const QString& text);
} // namespace CodePage
