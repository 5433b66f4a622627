// The receive path: every receive event of MSComm1 turns the waiting bytes into text at the end
// of the terminal pane and, while capture is on, in the capture file.

#include "capture/CaptureFile.h"
#include "core/Globals.h"
#include "core/ReceiveText.h"
#include "core/StatusTexts.h"
#include "port/MSComm.h"
#include "runtime/Log.h"
#include "runtime/RuntimeError.h"
#include "ui/frmMain.h"

namespace {
// Events handled per tmrEvents period beyond the first; later ones wait for the next period.
constexpr int kEventAllowance = 300;
// A line that brings more than this between two passes of the pane is fast, and its receive
// events are never held: a flood is taken as fast as it comes.
constexpr int kMostHeldBytes = 1024;

// Runs one step of the event. A failure skips that step only: whatever was read from the
// device is still shown, and captured when the write can succeed.
template <class Step> void runStep(const char* where, Step&& step)
{
    try {
        step();
    } catch (const RuntimeError& e) {
        logSilentError(where, e);
    }
}
} // namespace

void frmMain::MSComm1_OnComm(bool takeAll)
{
    tmrEvents->wake();
    if (!takeAll) {
        if (Globals::intEventCount > kEventAllowance)
            return;
        ++Globals::intEventCount;
    }
    if (MSComm1->CommEvent() != CommEv::Receive)
        return;

    tmrNoData->setEnabled(false);
    QByteArray bytIn;
    runStep("receive: read", [&] {
        MSComm1->setInputLen(MSComm1->InBufferCount());
        bytIn = MSComm1->Input();
    });
    if (bytIn.isEmpty())
        return;

    int length = txtTerm->Length();
    if (const int cut = paneTrimLength(length)) {
        txtTerm->setSelStart(0);
        txtTerm->setSelLength(cut);
        txtTerm->setSelText(QString());
        length = txtTerm->Length();
    }
    txtTerm->setSelStart(length);

    const QString strOut = receiveText.take(bytIn, [this](const QString& line) {
        if (Globals::blnCommandPending)
            runStep("receive: line check", [&] { CheckLine(line); });
    });

    if (Globals::blnSaving) {
        SetInputStatus(2);
        try {
            CaptureFile::number1().write(strOut);
        } catch (const RuntimeError& e) {
            // Capture stops at the first failed write, with the file holding what reached it:
            // a capture that went on would claim to save while it did not, and join the cut
            // line to whatever a later write manages. Reported once this event has finished.
            logSilentError("receive: capture", e);
            capture.stopAfterFailedWrite();
            showCaptureCaptions();
            SetInputStatus(1);
            QMetaObject::invokeMethod(this, &frmMain::reportCaptureWriteFailure,
                                      Qt::QueuedConnection);
        }
    } else {
        SetInputStatus(1);
    }
    txtTerm->setSelText(strOut);

    // The pane shows what streams in at its next pass: what arrives before it is read at once
    // and waits in the program, to be taken in one event as the pass begins, one run of the
    // receive path instead of several. The handshake times its answers from the line's arrival,
    // so its bytes never wait.
    bytesSincePass += bytIn.size();
    readsMayWait = bytesSincePass <= kMostHeldBytes && !Globals::blnCommandPending;
    if (const int ms = txtTerm->msToPass(); readsMayWait && ms > 0)
        MSComm1->holdReads(ms);
}

void frmMain::txtTerm_PassDue()
{
    // The pass takes what waits. While a slow stream goes on, the line is then read once per
    // pass: a byte that arrives meanwhile would wait for the next pass all the same.
    MSComm1->releaseReads();
    if (readsMayWait)
        MSComm1->holdReads(TextBox::kPassMs);
    bytesSincePass = 0;
}

void frmMain::SetInputStatus(qint16 intStatus)
{
    if (intStatus != intLastStatus) {
        if (const QString text = inputStatusText(intStatus); !text.isEmpty())
            sbStatus->Panels(QStringLiteral("Status"))->setText(text);
    }
    intLastStatus = intStatus;
}
