// Choosing the capture file's name.

#include "FileName.h"

#include "CaptureFile.h"
#include "core/Globals.h"
#include "ui/frmMain.h"
#include "ui/runtime/Prompter.h"

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

void frmMain::GenerateFileName(const QString& strBase)
{
    for (const QString& candidate : fileNameCandidates(strBase)) {
        if (!CaptureFile::exists(Globals::strSavePath + candidate)) {
            Globals::strFileName = candidate;
            lblFile->setCaption(candidate);
            lblFile->setToolTipText(lblFile->Caption());
            return;
        }
    }
    MsgBox(QStringLiteral("There has been an error while attempting to automatically "
                          "generate a text file for saving.\r\n"
                          "Please press the 'Change' button to change the filename"),
           MsgStyle::Critical, QStringLiteral("Cannot create a log file!"));
    lblFile->setCaption(kNoFileName);
    lblFile->setToolTipText(lblFile->Caption());
    Globals::strFileName = kNoFileName;
}
