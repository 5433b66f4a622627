// The five timers: event allowance, handshake settling, no-data detection and running time.

#include "ActivityTimers.h"

#include "Globals.h"
#include "port/MSComm.h"
#include "ui/frmMain.h"

QString elapsedText(qint64 milliseconds)
{
    const qint64 seconds = qMax<qint64>(0, milliseconds / 1000) % 86400;
    return QStringLiteral("%1:%2:%3 ")
        .arg(seconds / 3600, 2, 10, QChar(u'0'))
        .arg(seconds / 60 % 60, 2, 10, QChar(u'0'))
        .arg(seconds % 60, 2, 10, QChar(u'0'));
}

void frmMain::tmrEvents_Timer()
{
    Globals::intEventCount = 0;
    // Bytes held back by the allowance would otherwise wait for the unit's next transmission.
    MSComm1->raiseReceiveIfWaiting();
}

void frmMain::tmrFlow_Timer()
{
    Globals::blnFlowElapsed = true;
}

void frmMain::tmrNoData_Timer()
{
    SetInputStatus(0);
}

void frmMain::tmrReceive_Timer()
{
    tmrNoData->setEnabled(true);
}

void frmMain::tmrRun_Timer()
{
    sbStatus->Panels(QStringLiteral("Time"))
        ->setText(elapsedText(Globals::dtRunStart.msecsTo(QDateTime::currentDateTime())));
}
