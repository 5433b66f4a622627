#include "Keyboard.h"

#include "runtime/CodePage.h"

namespace Keyboard {

int shiftMask(Qt::KeyboardModifiers modifiers, const QString& text)
{
    int mask = modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0;
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool alt = modifiers.testFlag(Qt::AltModifier);
    const bool printable = text.size() == 1 && text[0].isPrint();
    const bool altGr = modifiers.testFlag(Qt::GroupSwitchModifier) || (ctrl && alt && printable);
    if (!altGr) {
        mask |= ctrl ? 2 : 0;
        mask |= alt ? 4 : 0;
    }
    return mask;
}

int keyAscii(int key, const QString& text)
{
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Delete || text.size() != 1)
        return -1;
    return CodePage::toByte(text[0]);
}

} // namespace Keyboard
