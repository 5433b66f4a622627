// Opening and closing the port, the choice of port and baud rate, and the loss of the device.

#include "core/Globals.h"
#include "core/StatusTexts.h"
#include "port/MSComm.h"
#include "runtime/RuntimeError.h"
#include "ui/dialogs/Prompter.h"
#include "ui/frmMain.h"

namespace {
const QString kCorrectPortError =
    QStringLiteral("Please select a different port or correct the port error.");
} // namespace

void frmMain::reopenAround(const std::function<void()>& change)
{
    const bool reopen = MSComm1->PortOpen();
    if (reopen)
        MSComm1->setPortOpen(false);
    change();
    if (reopen)
        MSComm1->setPortOpen(true);
}

void frmMain::selectPortState()
{
    // Selecting the element raises optStatus_Click, which starts or stops the clock; when it is
    // selected already, the clock is brought in line here.
    const int real = MSComm1->PortOpen() ? 0 : 1;
    if (!optStatus->Value(real))
        optStatus->setValue(real, true);
    else
        tmrRun->setEnabled(real == 0);
}

void frmMain::showPortError(const QString& text, const QString& action)
{
    MsgBox(text + kCorrectPortError, MsgStyle::Exclamation,
           QStringLiteral("Error %1 comm port!").arg(action));
}

void frmMain::reportPortError(const QString& text, const QString& action)
{
    showPortError(text, action);
    selectPortState();
}

void frmMain::optStatus_Click(int Index)
{
    try {
        if (Index == 0) {
            if (cmbComm->ListCount() == 0) {
                // No usable port was found at start-up: there is nothing to open.
                reportNoPorts();
                optStatus->setValue(1, true);
                return;
            }
            if (!MSComm1->PortOpen())
                MSComm1->setPortOpen(true);
            Globals::dtRunStart = QDateTime::currentDateTime();
            sbStatus->Panels(QStringLiteral("Time"))->setText(QStringLiteral("00:00:00"));
            tmrRun->setEnabled(true);
        } else {
            if (MSComm1->PortOpen())
                MSComm1->setPortOpen(false);
            tmrRun->setEnabled(false);
        }
    } catch (const RuntimeError&) {
        // Every failure is reported, so the buttons never show a state the port is not in.
        const QString action = Index == 0 ? QStringLiteral("opening") : QStringLiteral("closing");
        reportPortError(QStringLiteral("An error has occurred while %1 comm port %2.\r\n")
                            .arg(action)
                            .arg(MSComm1->CommPort()),
                        action);
    }
}

void frmMain::cmbComm_Click()
{
    try {
        bool ok = false;
        const int port = cmbComm->List(cmbComm->ListIndex()).toShort(&ok);
        reopenAround([&] {
            if (!ok)
                throw RuntimeError(Err::InvalidArgument);
            MSComm1->setCommPort(port);
        });
    } catch (const RuntimeError&) {
        reportPortError(QStringLiteral("A port error has occurred while changing the active comm "
                                       "port to comm %1.\r\nThis port has been closed. ")
                            .arg(MSComm1->CommPort()),
                        QStringLiteral("changing"));
    }
}

void frmMain::cmbBaud_Click()
{
    try {
        const QString baud = cmbBaud->List(cmbBaud->ListIndex());
        sbStatus->Panels(QStringLiteral("Settings"))
            ->setText(QStringLiteral("Settings: ") + baud + QStringLiteral(",n,8,1"));
        reopenAround(
            [&] { MSComm1->setSettings(baudSettingValue(baud) + QStringLiteral(",n,8,1")); });
    } catch (const RuntimeError&) {
        reportPortError(QStringLiteral("A port error has occurred while changing the baud rate "
                                       "for comm port%1.\r\nThe port has been closed. ")
                            .arg(MSComm1->CommPort()),
                        QStringLiteral("changing"));
    }
}

void frmMain::MSComm1_DeviceLosing()
{
    // The port closes next, and what it still holds with it: take it now, whatever the
    // allowance, so that every byte read before the loss is shown and captured.
    // An event takes at most 64 KiB; the loop ends too when one takes nothing.
    for (qint64 left = -1; MSComm1->receiveWaiting() &&
                           MSComm1->device().bytesAvailable() != left;) {
        left = MSComm1->device().bytesAvailable();
        MSComm1_OnComm(true);
    }
}

void frmMain::MSComm1_DeviceLost()
{
    // The serial control has closed the port already: show it closed, with the clock stopped,
    // before the box that says why (it may stay up for long).
    selectPortState();
    showPortError(QStringLiteral("An error has occurred while reading comm port %1.\r\n")
                      .arg(MSComm1->CommPort()),
                  QStringLiteral("reading"));
}
