#include "ReceiveText.h"

#include "runtime/CodePage.h"

int paneTrimLength(int length)
{
    if (length <= kPaneLimit)
        return 0;
    return (length - kPaneLimit + kTrimChunk - 1) / kTrimChunk * kTrimChunk;
}

QString ReceiveText::take(const QByteArray& bytIn,
                          const std::function<void(const QString&)>& onLine)
{
    QString strOut;
    strOut.reserve(bytIn.size() + bytIn.size() / 8 + 2);
    for (const char c : bytIn) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 10)
            continue;
        if (byte == 13) {
            strOut += QStringLiteral("\r\n");
            if (onLine)
                onLine(strLineBuf);
            strLineBuf.clear();
            continue;
        }
        const QChar ch = CodePage::toChar(byte);
        strOut += ch;
        if (strLineBuf.size() < kLineBufferLimit)
            strLineBuf += ch;
    }
    return strOut;
}
