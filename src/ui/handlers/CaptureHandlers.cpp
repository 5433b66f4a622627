// The capture file's name and capture switching.

#include "capture/CaptureFile.h"
#include "capture/CaptureToggle.h"
#include "capture/FileName.h"
#include "core/Globals.h"
#include "runtime/RuntimeError.h"
#include "ui/dialogs/Prompter.h"
#include "ui/frmMain.h"

#include <QAction>
#include <QPushButton>

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

void frmMain::btnSave_Click()
{
    const QString path = Globals::strSavePath + Globals::strFileName;
    try {
        if (!capture.blnFileOpen)
            capture.switchOn(path);
        else
            capture.switchOff();
        btnSave->setText(capture.caption());
        mnuSave->setText(capture.caption());
    } catch (const RuntimeError&) {
        MsgBox(QStringLiteral("An error has occurred while trying to open the file: ") + path,
               MsgStyle::Exclamation, QStringLiteral("File Error!"));
    }
}

void frmMain::mnuSave_Click()
{
    btnSave_Click();
}

void frmMain::reportCaptureWriteFailure()
{
    MsgBox(QStringLiteral("An error has occurred while writing to the file: ") + capture.openPath(),
           MsgStyle::Exclamation, QStringLiteral("File Error!"));
}
