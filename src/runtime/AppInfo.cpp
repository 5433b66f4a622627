#include "AppInfo.h"

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
} // namespace App
