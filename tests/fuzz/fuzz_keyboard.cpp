// The code page and the key rules: every byte round-trips through its character, text of any
// characters becomes bytes and back without growing, and a key carries at most one byte, the
// one of its character, never one for a chord with Alt. Input: two bytes of modifiers, then
// UTF-16 text.

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

    const int key = text.isEmpty() ? 0 : text[0].unicode();
    const int ascii = Keyboard::keyAscii(key, text);
    FUZZ_CHECK(ascii >= -1 && ascii <= 255);
    if (text.size() != 1)
        FUZZ_CHECK(ascii == -1);
    else if (ascii >= 0)
        FUZZ_CHECK(CodePage::toChar(static_cast<unsigned char>(ascii)) == text[0]);
    const int mask = Keyboard::shiftMask(modifiers);
    FUZZ_CHECK(mask >= 0 && mask <= 7);
    if (modifiers.testFlag(Qt::GroupSwitchModifier)) // AltGr: neither Ctrl nor Alt
        FUZZ_CHECK((mask & 6) == 0 && !Keyboard::isShortcutChord(modifiers, text));
    if (Keyboard::isShortcutChord(modifiers, text))
        FUZZ_CHECK((mask & 4) && !text.isEmpty());
    return 0;
}
