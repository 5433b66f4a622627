#include "Signals.h"
#include "runtime/AppInfo.h"
#include "runtime/Memory.h"
#include "ui/frmMain.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    returnLargeBlocksToSystem();
    QApplication app(argc, argv);
    QApplication::setApplicationName(App::Title());
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(App::Major()).arg(App::Minor()).arg(App::Revision()));
    frmMain window;

    // Set up before loading: start-up may already wait in a message box.
    bool terminated = false;
    closeOnTerminationSignals(window, terminated);
    window.Load();
    if (terminated)
        return 0;
    window.show();
    return QApplication::exec();
}
