#include "FileName.h"


QStringList fileNameCandidates(const QString& base)
{
    QStringList names;
    names.reserve(100);
    if (base != QLatin1String("Text"))
        names << base + QStringLiteral(".txt");
    for (int n = 1; n <= 99; ++n)
        names << base + QString::number(n) + QStringLiteral(".txt");
    return names;
}
QString baseName(const QString& fileTitle)
{
    const qsizetype dot = fileTitle.indexOf(u'.');
    return dot < 0 ? fileTitle : fileTitle.left(dot);
}

QString folderOf(const QString& path)
{
    // Qt hands paths over with '/' on every platform; a backslash is part of a name.
    return path.left(path.lastIndexOf(u'/') + 1);
}
