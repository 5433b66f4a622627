// The receive path: every receive event of MSComm1 turns the waiting bytes into text at the end
// of the terminal pane and, while capture is on, in the capture file.

#include "Globals.h"
#include "capture/CaptureFile.h"
#include "port/MSComm.h"
#include "ui/frmMain.h"
#include "ui/runtime/CodePage.h"
#include "ui/runtime/RuntimeError.h"

namespace {
// The pane is trimmed when an event finds it longer than this, in whole chunks of kTrimChunk.
constexpr int kPaneLimit = 4000;
constexpr int kTrimChunk = 1500;
// Events handled per tmrEvents period beyond the first; later ones wait for the next period.
constexpr int kEventAllowance = 300;

// Runs one step of the event. A failure skips that step only: whatever was read from the
// device is still shown, and captured when the write can succeed.
template <class Step> void runStep(Step&& step)
{
    try {
        step();
    } catch (const RuntimeError&) {
    }
}
} // namespace

void frmMain::MSComm1_OnComm()
{
    if (Globals::intEventCount > kEventAllowance)
        return;
    ++Globals::intEventCount;
    if (MSComm1->CommEvent() != CommEv::Receive)
        return;

    tmrNoData->setEnabled(false);
    QByteArray bytIn;
    runStep([&] {
        MSComm1->setInputLen(MSComm1->InBufferCount());
        bytIn = MSComm1->Input();
    });
    if (bytIn.isEmpty())
        return;

    int length = txtTerm->Length();
    if (length > kPaneLimit) {
        const int chunks = (length - kPaneLimit + kTrimChunk - 1) / kTrimChunk;
        txtTerm->setSelStart(0);
        txtTerm->setSelLength(kTrimChunk * chunks);
        txtTerm->setSelText(QString());
        length = txtTerm->Length();
    }
    txtTerm->setSelStart(length);

    QString strOut;
    strOut.reserve(bytIn.size() + bytIn.size() / 8 + 2);
    for (const char c : std::as_const(bytIn)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 10)
            continue;
        if (byte == 13) {
            strOut += QStringLiteral("\r\n");
            if (Globals::blnCommandPending)
                runStep([&] { CheckLine(strLineBuf); });
            strLineBuf.clear();
            continue;
        }
        const QChar ch = CodePage::toChar(byte);
        strOut += ch;
        if (strLineBuf.size() < kLineBufferLimit)
            strLineBuf += ch;
    }

    if (Globals::blnSaving) {
        SetInputStatus(2);
        runStep([&] { CaptureFile::number1().write(strOut); });
    } else {
        SetInputStatus(1);
    }
    txtTerm->setSelText(strOut);
}

void frmMain::SetInputStatus(qint16 intStatus)
{
    static const char* const texts[] = {"Input: Not Receiving", "Input: Receiving",
                                        "Input: Saving to file"};
    if (intStatus != intLastStatus && intStatus >= 0 && intStatus <= 2)
        sbStatus->Panels(QStringLiteral("Status"))->setText(QLatin1String(texts[intStatus]));
    intLastStatus = intStatus;
}

void frmMain::CheckLine(const QString&) {}
