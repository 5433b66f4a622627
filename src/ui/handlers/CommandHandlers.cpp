// Command access: the operator asks for it, the unit's start-up banner is answered with two
// spaces at fixed delays, and the handshake ends when the unit's output has settled.

#include "core/Globals.h"
#include "port/MSComm.h"
#include "ui/frmMain.h"

namespace {
const QString kCyclePower = QStringLiteral("Cycle power on the Brenix unit.");
const QString kPleaseWait = QStringLiteral("Please wait for unit to initialize.");
constexpr char kReplyByte = 32;
} // namespace

void frmMain::chkCommand_Click()
{
    // Also raised when completion unchecks the box while it is still disabled.
    if (!chkCommand->isEnabled())
        return;
    // What came before the click is read before the handshake starts, as ordinary bytes. The
    // receive event that reads it may hold the line again; the second release ends that hold, so
    // that from then on nothing waits: the answers are timed from the banner's read.
    MSComm1->releaseReads();
    commandAccess.start();
    MSComm1->releaseReads();
    // The operator follows the unit in the pane, whose new lines a screen reader reads; the
    // check box, disabled, would pass the focus on to the port list.
    txtTerm->setFocus(Qt::OtherFocusReason);
    chkCommand->setEnabled(false);
    lblInfo->setBackColor(OleColor::Yellow);
    lblInfo->setCaption(kCyclePower);
}

void frmMain::CheckLine(const QString& line)
{
    commandAccess.record(line);

    if (CommandAccessRecord::isBanner(line)) {
        // The window is blocked for the whole answer; each space leaves at once.
        Globals::Delay(1000);
        MSComm1->Output(QByteArray(1, kReplyByte));
        Globals::Delay(250);
        MSComm1->Output(QByteArray(1, kReplyByte));
        lblInfo->setCaption(kPleaseWait);
        commandAccess.bannerAnswered();
        tmrFlow->setEnabled(true);
    }

    if (commandAccess.readyToComplete()) {
        commandAccess.complete();
        tmrFlow->setEnabled(false);
        lblInfo->setBackColor(OleColor::ButtonFace);
        lblInfo->setCaption(QString());
        chkCommand->setValue(0);
        chkCommand->setEnabled(true);
        // The end is heard where the handshake began: the check box, usable again, takes the
        // focus back from the pane.
        if (txtTerm->hasFocus())
            chkCommand->setFocus(Qt::OtherFocusReason);
    }
}
