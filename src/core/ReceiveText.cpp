#include "ReceiveText.h"

#include "runtime/CodePage.h"

#include <algorithm>
#include <array>

int paneTrimLength(int length)
{
    if (length <= kPaneLimit)
        return 0;
    return (length - kPaneLimit + kTrimChunk - 1) / kTrimChunk * kTrimChunk;
}

QString ReceiveText::take(const QByteArray& bytIn,
                          const std::function<void(const QString&)>& onLine)
{
    static const std::array<char16_t, 256> chars = [] {
        std::array<char16_t, 256> table{};
        for (int b = 0; b < 256; ++b)
            table[std::size_t(b)] = CodePage::toChar(static_cast<unsigned char>(b)).unicode();
        return table;
    }();
    const char* in = bytIn.constData();
    const char* const end = in + bytIn.size();
    // Written in place: a flood's event holds up to a megabyte.
    QString strOut(bytIn.size() - std::count(in, end, '\n') + std::count(in, end, '\r'),
                   Qt::Uninitialized);
    auto* out = reinterpret_cast<char16_t*>(strOut.data());
    const char16_t* line = out; // where the characters of the current line begin
    const auto keepLine = [this](const char16_t* from, const char16_t* to) {
        const qsizetype room = kLineBufferLimit - strLineBuf.size();
        if (room > 0)
            strLineBuf.append(reinterpret_cast<const QChar*>(from),
                              std::min<qsizetype>(room, to - from));
    };
    for (; in != end; ++in) {
        const auto byte = static_cast<unsigned char>(*in);
        if (byte == 10)
            continue;
        if (byte == 13) {
            keepLine(line, out);
            *out++ = u'\r';
            *out++ = u'\n';
            if (onLine)
                onLine(strLineBuf);
            strLineBuf.clear();
            line = out;
            continue;
        }
        *out++ = chars[byte];
    }
    keepLine(line, out);
    return strOut;
}
