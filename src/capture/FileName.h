#pragma once

#include <QStringList>

// The capture file names tried for a base name, in order: the base itself with ".txt" (except
// for the base "Text"), then the base followed by 1 to 99.
QStringList fileNameCandidates(const QString& base);

// The base for numbered names from a chosen file name: the part before its first full stop, or
// the whole name when it has none ("a.b.txt" gives "a", "notes" gives "notes").
QString baseName(const QString& fileTitle);
// The folder of a full path: everything up to and including its last '/'.
QString folderOf(const QString& path);

// The default capture folder, ending with the folder separator: the user's desktop folder.
QString desktopFolder();

// The marker for "no usable capture file name".
inline const QString kNoFileName = QStringLiteral("????");
