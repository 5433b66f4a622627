// The five timers: event allowance, handshake settling, no-data detection and running time.

#include "core/Globals.h"
#include "core/StatusTexts.h"
#include "port/MSComm.h"
#include "ui/frmMain.h"

void frmMain::tmrEvents_Timer()
{
    const bool counted = Globals::intEventCount > 0;
    Globals::intEventCount = 0;
    // Bytes held back by the allowance would otherwise wait for the unit's next transmission.
    MSComm1->raiseReceiveIfWaiting();
    // After a period without events the next period starts with the next event, so that a
    // quiet line does not wake the program ten times a second.
    if (!counted && Globals::intEventCount == 0)
        tmrEvents->doze();
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
