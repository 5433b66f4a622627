// The file-exists dialog: it only records the user's answer; the change of target acts on it.

#include "core/Globals.h"
#include "ui/frmDialog.h"

void frmDialog::Form_Load()
{
    lblMessage->setCaption(QStringLiteral(
        "1. Press 'Add Numbers' to add a number to the end of the current file name.\r\n"
        "2. Press 'Append' to keep the existing file and add data to the end of it.\r\n"
        "3. Press 'Overwrite' to delete the existing file and make a new one.\r\n"
        "4. Press 'Cancel' to select a new file name."));
    fitMessage();
}

void frmDialog::choose(int choice)
{
    Globals::intFileChoice = choice;
    blnChoiceMade = true;
    accept();
}

void frmDialog::btnAdd_Click()
{
    choose(0);
}

void frmDialog::btnAppend_Click()
{
    choose(1);
}

void frmDialog::btnOverwrite_Click()
{
    choose(2);
}

void frmDialog::btnCancel_Click()
{
    choose(4);
}

void frmDialog::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

void frmDialog::Form_Unload()
{
    if (!blnChoiceMade)
        Globals::intFileChoice = 4;
}
