// The terminal capturing from port 1 into the file given, for a test that kills it: after each
// handled receive event it prints the pane's length, which equals what was captured so far.

#include "core/Globals.h"
#include "port/MSComm.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QFileInfo>
#include <QPushButton>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    frmMain window;
    window.Load();
    const QFileInfo target(QString::fromLocal8Bit(argv[1]));
    Globals::strSavePath = target.absolutePath() + u'/';
    Globals::strFileName = target.fileName();
    window.btnSave->click();
    window.optStatus->setValue(0, true);
    if (!Globals::blnSaving || !window.MSComm1->PortOpen())
        return 1;
    // Connected after the window's own handler, so it runs once an event is handled.
    QObject::connect(window.MSComm1, &MSComm::OnComm, [&] {
        std::printf("%d\n", window.txtTerm->Length());
        std::fflush(stdout);
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return QApplication::exec();
}
