// The code page and the key rules: every byte round-trips through its character, text of any
// characters becomes bytes and back without growing, and a key carries the one byte of its
// character, or none; its modifiers as the key events report them. Input: two bytes of
// modifiers, then UTF-16 text.

#include "FuzzCheck.h"

#include "core/Keyboard.h"
#include "runtime/CodePage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (int b = 0; b < 256; ++b)
        FUZZ_CHECK(CodePage::toByte(CodePage::toChar(static_cast<unsigned char>(b))) == b);
    if (size < 2)
        return 0;
    const auto modifiers = Qt::KeyboardModifiers::fromInt((data[0] | data[1] << 8) << 16);
    const QString text(reinterpret_cast<const QChar*>(data + 2), qsizetype((size - 2) / 2));

    const QByteArray bytes = CodePage::toBytes(text);
    FUZZ_CHECK(bytes.size() == text.size());
    FUZZ_CHECK(CodePage::toBytes(CodePage::toString(bytes)) == bytes);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int b = CodePage::toByte(text[i]);
        FUZZ_CHECK(b >= -1 && b <= 255);
        FUZZ_CHECK(b < 0 ? bytes[i] == '?'
                         : CodePage::toChar(static_cast<unsigned char>(b)) == text[i]);
    }

    // A key gives the byte of its one character, or none; Ctrl and Alt count unless AltGr is
    // down, and Alt with a printable character is a shortcut, never typed.
    const int key = text.isEmpty() ? 0 : text[0].unicode();
    FUZZ_CHECK(Keyboard::keyAscii(key, text) ==
               (text.size() == 1 ? CodePage::toByte(text[0]) : -1));
    const bool shift = modifiers.testFlag(Qt::ShiftModifier),
               ctrl = modifiers.testFlag(Qt::ControlModifier),
               alt = modifiers.testFlag(Qt::AltModifier),
               altGr = modifiers.testFlag(Qt::GroupSwitchModifier);
    const int mask = Keyboard::shiftMask(modifiers);
    FUZZ_CHECK(mask == (shift ? 1 : 0) + (altGr ? 0 : (ctrl ? 2 : 0) + (alt ? 4 : 0)));
    FUZZ_CHECK(Keyboard::isShortcutChord(modifiers, text) ==
               (alt && !altGr && !text.isEmpty() && text[0].isPrint()));
    return 0;
}
