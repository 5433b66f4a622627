#include "Keyboard.h"

#include "runtime/CodePage.h"

namespace Keyboard {

int shiftMask(Qt::KeyboardModifiers modifiers)
{
    int mask = modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0;
    if (!modifiers.testFlag(Qt::GroupSwitchModifier)) { // AltGr
        mask |= modifiers.testFlag(Qt::ControlModifier) ? 2 : 0;
        mask |= modifiers.testFlag(Qt::AltModifier) ? 4 : 0;
    }
    return mask;
}

bool isShortcutChord(Qt::KeyboardModifiers modifiers, const QString& text)
{
    return (shiftMask(modifiers) & 4) && !text.isEmpty() && text[0].isPrint();
}

int keyAscii(int key, const QString& text)
{
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Delete || text.size() != 1)
        return -1;
    return CodePage::toByte(text[0]);
}

} // namespace Keyboard
