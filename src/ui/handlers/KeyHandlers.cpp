// Keyboard transmit: the window sees every key before the focused control and sends each typed
// character to the unit as one byte, without local echo.

#include "core/Globals.h"
#include "core/Keyboard.h"
#include "port/MSComm.h"
#include "runtime/Log.h"
#include "runtime/RuntimeError.h"
#include "ui/frmMain.h"

#include <QAction>
#include <QKeyEvent>

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    // The pane claims Ctrl+C for a copy of its own, which would bypass the Edit menu's Copy.
    if (event->type() == QEvent::ShortcutOverride && qobject_cast<TextBox*>(watched) &&
        QKeySequence(static_cast<QKeyEvent*>(event)->keyCombination()) == mnuCopy->shortcut())
        return true;
    if (!KeyPreview || event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    // Qt offers a key the focused control leaves alone to each of its parents in turn; the
    // window previews it once, where it first arrives.
    QWidget* focus = focusWidget();
    if (watched != focus && !(focus == nullptr && watched == this))
        return QMainWindow::eventFilter(watched, event);

    auto* key = static_cast<QKeyEvent*>(event);
    int KeyCode = key->key(); // the space bar is 32
    Form_KeyDown(KeyCode, Keyboard::shiftMask(key->modifiers()));
    int KeyAscii = Keyboard::keyAscii(key->key(), key->text());
    if (KeyAscii >= 0) {
        Form_KeyPress(KeyAscii);
        if (KeyAscii == 0)
            return true; // sent: the character reaches no control
    }
    // A chord with Alt is a shortcut, never a character: it does not type into the pane text
    // the unit did not send (AltGr characters come without Alt and still type).
    if (qobject_cast<TextBox*>(focus) && Keyboard::isShortcutChord(key->modifiers(), key->text()))
        return true;
    return KeyCode == 0; // withheld from the control
}

void frmMain::Form_KeyDown(int& KeyCode, int Shift)
{
    Globals::blnModifierDown = (Shift & 2) || (Shift & 4);
    if (KeyCode == 32 && !qobject_cast<TextBox*>(focusWidget()))
        KeyCode = 0;
}

void frmMain::Form_KeyPress(int& KeyAscii)
{
    if (!MSComm1->PortOpen() || Globals::blnModifierDown || !chkCommand->isEnabled() ||
        Globals::blnCommandPending)
        return;
    try {
        MSComm1->Output(QByteArray(1, char(KeyAscii)));
        KeyAscii = 0;
    } catch (const RuntimeError& e) {
        logSilentError("key press: send", e); // not sent: the key goes to the control
    }
}
