// Start-up of the main window: title, capture folder and name, save dialog, the probe of
// ports 1 to 16 and the defaults.

#include "capture/FileName.h"
#include "core/Globals.h"
#include "port/MSComm.h"
#include "port/PortMap.h"
#include "runtime/AppInfo.h"
#include "runtime/Log.h"
#include "runtime/RuntimeError.h"
#include "ui/controls/Accessibility.h"
#include "ui/dialogs/Prompter.h"
#include "ui/frmMain.h"

#include <QLayout>

#include <array>

void frmMain::Form_Load()
{
    setWindowTitle(QStringLiteral("Brenix Terminal V%1.%2").arg(App::Major()).arg(App::Minor()));
    KeyPreview = true;
    Globals::strSavePath = desktopFolder();
    GenerateFileName(QStringLiteral("Text"));

    // The frame around the client area (the menu bar; Qt sizes a window without the window
    // manager's decorations), taken while the window has its design size.
    layout()->activate();
    Globals::intFrameHeight = qint16(twipsOf(height() - centralWidget()->height()));
    Globals::intFrameWidth = qint16(twipsOf(width() - centralWidget()->width()));
    // A window manager that keeps the hint stops a drag at the minimum client size.
    setMinimumSize(minimumWindowSize());

    cdSave.CancelError = true;
    cdSave.DefaultExt = QStringLiteral(".txt");
    cdSave.FileName = Globals::strSavePath + Globals::strFileName;
    cdSave.Filter = QStringLiteral("Text files (*.txt)|*.txt");
    cdSave.FilterIndex = 1;
    cdSave.DialogTitle = QStringLiteral("Save File As");

    // Probe: a port is usable when it opens and closes again without error. Silent throughout.
    std::array<bool, 17> usable{};
    for (int n = 1; n <= 16; ++n) {
        try {
            if (MSComm1->PortOpen())
                MSComm1->setPortOpen(false);
            MSComm1->setCommPort(n);
            MSComm1->setPortOpen(true);
            MSComm1->setPortOpen(false);
            usable[n] = true;
        } catch (const RuntimeError& e) {
            logSilentError(qPrintable(QStringLiteral("probe: port %1").arg(n)), e);
        }
    }
    try {
        MSComm1->setPortOpen(false);
    } catch (const RuntimeError& e) {
        logSilentError("probe: close", e);
    }

    // Prune the list to the usable ports; item k then names the port in its text.
    int kept = 0;
    for (int n = 1; n <= 16; ++n) {
        if (usable[n])
            ++kept;
        else
            cmbComm->RemoveItem(kept);
    }
    for (int i = 0; i < cmbComm->ListCount(); ++i)
        cmbComm->setItemData(i, plainToolTip(portDevicePath(cmbComm->List(i).toInt())),
                             Qt::ToolTipRole);

    if (kept > 0) {
        cmbComm->setListIndex(0);
        cmbBaud->setListIndex(3);
    } else {
        reportNoPorts();
    }
}

void frmMain::reportNoPorts()
{
    MsgBox(QStringLiteral("No valid comm ports found! Please install a valid serial port and "
                          "restart this software."),
           MsgStyle::Critical, QStringLiteral("No comm ports found!"));
}
