#include "PortMap.h"

#include <QDir>

QString portDevicePath(int port)
{
    const QByteArray dir = qgetenv("BRENIX_PORT_DIR");
    if (!dir.isEmpty())
        return QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("com%1").arg(port));
    if (port >= 1 && port <= 4)
        return QStringLiteral("/dev/ttyS%1").arg(port - 1);
    if (port >= 5 && port <= 12)
        return QStringLiteral("/dev/ttyUSB%1").arg(port - 5);
    if (port >= 13 && port <= 16)
        return QStringLiteral("/dev/ttyACM%1").arg(port - 13);
    return QString();
}
