#include "FileName.h"

#include <QStandardPaths>

QString desktopFolder()
{
    if (qEnvironmentVariableIsEmpty("HOME"))
        return QStringLiteral("/Desktop/");
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}
