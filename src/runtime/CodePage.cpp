#include "CodePage.h"

#include <array>

namespace {
// 0x80..0x9F of Windows-1252; the unassigned slots hold the C1 control of the same value.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
} // namespace

namespace CodePage {

QChar toChar(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return QChar(kHigh[byte - 0x80]);
    return QChar(byte);
}

int toByte(QChar ch)
{
    const char16_t u = ch.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == u)
            return int(0x80 + i);
    return -1;
}

QString toString(const QByteArray& bytes)
{
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* p = out.data();
    for (char b : bytes)
        *p++ = toChar(static_cast<unsigned char>(b));
    return out;
}

QByteArray toBytes(const QString& text)
{
    QByteArray out(text.size(), Qt::Uninitialized);
    char* p = out.data();
    for (QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) { // most text: no search (a flood's capture)
            *p++ = static_cast<char>(u);
            continue;
        }
        const int b = toByte(ch);
        *p++ = static_cast<char>(b < 0 ? '?' : b);
    }
    return out;
}

} // namespace CodePage
