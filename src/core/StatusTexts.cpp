#include "StatusTexts.h"

QString inputStatusText(int code)
{
    static const char* const texts[] = {"Input: Not Receiving", "Input: Receiving",
                                        "Input: Saving to file"};
    return code >= 0 && code <= 2 ? QLatin1String(texts[code]) : QString();
}

QString elapsedText(qint64 milliseconds)
{
    const qint64 seconds = qMax<qint64>(0, milliseconds / 1000) % 86400;
    return QStringLiteral("%1:%2:%3 ")
        .arg(seconds / 3600, 2, 10, QChar(u'0'))
        .arg(seconds / 60 % 60, 2, 10, QChar(u'0'))
        .arg(seconds % 60, 2, 10, QChar(u'0'));
}

namespace {
// The value of the decimal number at the start of the text ("19.2k" gives 19.2), 0 if none.
double leadingNumber(const QString& text)
{
    qsizetype end = 0;
    bool point = false;
    while (end < text.size() && (text[end].isDigit() || (text[end] == u'.' && !point))) {
        point = point || text[end] == u'.';
        ++end;
    }
    return text.left(end).toDouble();
}
} // namespace

QString baudSettingValue(const QString& item)
{
    if (!item.contains(u'k'))
        return item;
    return QString::number(leadingNumber(item) * 1000.0, 'g', 15);
}
