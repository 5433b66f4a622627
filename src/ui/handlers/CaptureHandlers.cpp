// The capture file's name and capture switching.

#include "capture/CaptureFile.h"
#include "capture/CaptureToggle.h"
#include "capture/FileName.h"
#include "core/Globals.h"
#include "runtime/RuntimeError.h"
#include "ui/dialogs/Prompter.h"
#include "ui/frmDialog.h"
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
        showCaptureCaptions();
    } catch (const RuntimeError&) {
        MsgBox(QStringLiteral("An error has occurred while trying to open the file: ") + path,
               MsgStyle::Exclamation, QStringLiteral("File Error!"));
    }
}

void frmMain::mnuSave_Click()
{
    btnSave_Click();
}

void frmMain::showCaptureCaptions()
{
    btnSave->setText(capture.caption());
    mnuSave->setText(capture.caption());
}

void frmMain::reportCaptureWriteFailure()
{
    MsgBox(QStringLiteral("An error has occurred while writing to the file: ") +
               capture.openPath() + QStringLiteral("\r\nCapture has been switched off."),
           MsgStyle::Exclamation, QStringLiteral("File Error!"));
}

void frmMain::takeChosenTarget()
{
    Globals::strFileName = cdSave.FileTitle;
    Globals::strSavePath = folderOf(cdSave.FileName);
}

void frmMain::btnChange_Click()
{
    try {
        for (bool settled = false; !settled;) {
            // The path must exist, and the dialog never asks about overwriting (the prompter's
            // save dialog does both).
            cdSave.ShowSave();
            if (!CaptureFile::exists(cdSave.FileName)) {
                takeChosenTarget();
                break;
            }
            frmDialog dialog(this); // each showing starts from its design state
            dialog.Form_Load();
            dialog.exec();
            switch (Globals::intFileChoice) {
            case 0: { // add numbers, in the folder just chosen
                const QString previous = Globals::strSavePath;
                Globals::strSavePath = folderOf(cdSave.FileName);
                GenerateFileName(baseName(cdSave.FileTitle));
                settled = Globals::strFileName != kNoFileName;
                if (!settled)
                    Globals::strSavePath = previous; // every number taken: choose again
                break;
            }
            case 1: // append: capture always appends
                takeChosenTarget();
                settled = true;
                break;
            case 2: // overwrite: the file goes now, the target stays if it cannot
                CaptureFile::kill(cdSave.FileName);
                takeChosenTarget();
                settled = true;
                break;
            default: // cancel: the save dialog again
                break;
            }
        }
        lblPath->setCaption(Globals::strSavePath.left(Globals::strSavePath.size() - 1));
        lblPath->setToolTipText(lblPath->Caption());
        lblFile->setCaption(Globals::strFileName);
        lblFile->setToolTipText(lblFile->Caption());
    } catch (const RuntimeError& e) {
        if (e.number == Err::DialogCancelled)
            return;
        MsgBox(QStringLiteral("An unexpected error has occurred. Error ") +
                   QString::number(e.number),
               MsgStyle::Critical, QStringLiteral("Error!"));
    }
}

void frmMain::mnuChangeSave_Click()
{
    btnChange_Click();
}
