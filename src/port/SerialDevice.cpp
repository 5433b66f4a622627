#include "SerialDevice.h"

#include "runtime/RuntimeError.h"

#include <QStringList>

PortSettings parseSettings(const QString& text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 4)
        throw RuntimeError(Err::InvalidArgument);
    bool okBaud = false, okData = false, okStop = false;
    PortSettings s;
    s.baud = parts[0].trimmed().toInt(&okBaud);
    const QString parity = parts[1].trimmed().toLower();
    s.dataBits = parts[2].trimmed().toInt(&okData);
    s.stopBits = parts[3].trimmed().toInt(&okStop);
    if (!okBaud || !okData || !okStop || s.baud <= 0 || parity.size() != 1 ||
        !QStringLiteral("neoms").contains(parity) || s.dataBits < 5 || s.dataBits > 8 ||
        (s.stopBits != 1 && s.stopBits != 2))
        throw RuntimeError(Err::InvalidArgument);
    s.parity = char(parity[0].unicode());
    return s;
}

QString settingsText(const PortSettings& s)
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(s.baud)
        .arg(QChar(s.parity))
        .arg(s.dataBits)
        .arg(s.stopBits);
}
