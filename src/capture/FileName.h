#pragma once

#include <QStringList>

// The capture file names tried for a base name, in order: the base itself with ".txt" (except
// for the base "Text"), then the base followed by 1 to 99.
QStringList fileNameCandidates(const QString& base);

// The default capture folder, ending with the folder separator: the user's desktop folder.
QString desktopFolder();

// The marker for "no usable capture file name".
inline const QString kNoFileName = QStringLiteral("????");
