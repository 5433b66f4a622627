#pragma once

#include <QString>
#include <Qt>

// What a key press means to the terminal.
namespace Keyboard {
// The modifier mask of a key: 1 Shift, 2 Ctrl, 4 Alt. AltGr is neither Ctrl nor Alt: X11 reports
// it as a group switch. A real Ctrl+Alt stays Ctrl and Alt even when X11 gives it a character
// (Ctrl+Alt+1 carries "1"), so it is never sent.
int shiftMask(Qt::KeyboardModifiers modifiers);

// Whether a key press with text is a shortcut chord, whose text is no character to type: Alt is
// held (with or without Ctrl and Shift). AltGr characters are typed.
bool isShortcutChord(Qt::KeyboardModifiers modifiers, const QString& text);

// The character code a key press carries for the unit: its byte in the code page, or -1 when it
// carries none (Tab and Backtab move the focus, Delete and keys without text keep their usual
// meaning) or one the code page cannot hold.
int keyAscii(int key, const QString& text);
} // namespace Keyboard
