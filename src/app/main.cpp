#include "runtime/AppInfo.h"
#include "ui/frmMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(App::Title());
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(App::Major()).arg(App::Minor()).arg(App::Revision()));
    frmMain window;
    window.Load();
    window.show();
    return QApplication::exec();
}
