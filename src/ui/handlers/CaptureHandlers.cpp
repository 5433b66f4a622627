// The capture file's name and capture switching.

#include "capture/CaptureFile.h"
#include "capture/FileName.h"
#include "core/Globals.h"
#include "ui/dialogs/Prompter.h"
#include "ui/frmMain.h"

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
