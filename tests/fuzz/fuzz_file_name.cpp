// Capture file names for any chosen folder and name: the folder of a path is a prefix ending at
// its last '/', the base of a name stops at its first full stop, and every candidate stays in
// the chosen folder, is new to the list and keeps the number rule. The input is a path, then
// after a NUL byte a name.

#include "FuzzCheck.h"

#include "capture/FileName.h"

#include <QSet>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype nul = input.indexOf('\0');
    const QString path = QString::fromUtf8(input.left(nul < 0 ? input.size() : nul));
    const QString title = nul < 0 ? QString() : QString::fromUtf8(input.mid(nul + 1));

    const QString folder = folderOf(path);
    FUZZ_CHECK(path.startsWith(folder));
    FUZZ_CHECK(folder.isEmpty() || folder.endsWith(QLatin1Char('/')));
    FUZZ_CHECK(!path.mid(folder.size()).contains(QLatin1Char('/')));

    const QString base = baseName(title);
    FUZZ_CHECK(title.startsWith(base) && !base.contains(QLatin1Char('.')));
    FUZZ_CHECK(base.size() == title.size() || title[base.size()] == QLatin1Char('.'));

    const QStringList names = fileNameCandidates(base);
    FUZZ_CHECK(names.size() == (base == QLatin1String("Text") ? 99 : 100));
    FUZZ_CHECK(QSet<QString>(names.begin(), names.end()).size() == names.size() || base.isEmpty() ||
               base.back().isDigit());
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString& name = names[i];
        FUZZ_CHECK(name.startsWith(base) && name.endsWith(QLatin1String(".txt")));
        const QString number = name.mid(base.size()).chopped(4);
        const int n = int(i) + (base == QLatin1String("Text") ? 1 : 0);
        FUZZ_CHECK(number == (n == 0 ? QString() : QString::number(n)));
        if (!base.contains(QLatin1Char('/')))
            FUZZ_CHECK(folderOf(folder + name) == folder);
    }
    return 0;
}
