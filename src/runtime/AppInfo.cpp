#include "AppInfo.h"

#include "CodePage.h"

namespace App {
QString Title()
{
    return QStringLiteral("Brenix Terminal");
}
int Major()
{
    return BRENIX_VERSION_MAJOR;
}
int Minor()
{
    return BRENIX_VERSION_MINOR;
}
int Revision()
{
    return BRENIX_VERSION_PATCH;
}
QString Maker()
{
    return QStringLiteral("Brenix Industries, Inc.");
}
QString Copyright(int year)
{
    return QStringLiteral("Copyright ") + CodePage::toChar(169) +
           QStringLiteral(" 2026-%1 ").arg(year, 4, 10, QChar(u'0')) + Maker();
}
} // namespace App
