// The receive text for any bytes cut into any chunks: the same text as one chunk, equal to a
// plain reference, and the completed lines are the text's lines, in order, bounded as the line
// buffer says. The first byte gives the number of cuts, the next ones their places.

#include "FuzzCheck.h"

#include "core/ReceiveText.h"
#include "runtime/CodePage.h"

#include <QStringList>

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t cuts = std::min<size_t>(data[0] % 8, size - 1);
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1 + cuts),
                           qsizetype(size - 1 - cuts));

    // Reference: LF dropped, CR as CR LF, every other byte its code-page character.
    QString expected;
    QStringList expectedLines{QString()};
    for (const char b : bytes) {
        if (b == '\n')
            continue;
        if (b == '\r') {
            expected += QStringLiteral("\r\n");
            expectedLines.append(QString());
            continue;
        }
        expected += CodePage::toChar(static_cast<unsigned char>(b));
        expectedLines.last() += CodePage::toChar(static_cast<unsigned char>(b));
    }
    const QString open = expectedLines.takeLast(); // the line no CR has completed yet

    ReceiveText chunked;
    QString text;
    QStringList lines;
    qsizetype from = 0;
    for (size_t i = 0; i <= cuts; ++i) {
        const qsizetype to =
            i == cuts ? bytes.size() : std::max(from, qsizetype(data[1 + i]) % (bytes.size() + 1));
        text += chunked.take(bytes.mid(from, to - from), [&](const QString& l) { lines << l; });
        from = to;
    }
    FUZZ_CHECK(text == expected);
    FUZZ_CHECK(text.size() == bytes.size() - bytes.count('\n') + bytes.count('\r'));
    FUZZ_CHECK(ReceiveText().take(bytes, nullptr) == expected);
    FUZZ_CHECK(lines.size() == expectedLines.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        FUZZ_CHECK(lines[i] == expectedLines[i].left(ReceiveText::kLineBufferLimit));
    FUZZ_CHECK(chunked.strLineBuf == open.left(ReceiveText::kLineBufferLimit));
    return 0;
}
