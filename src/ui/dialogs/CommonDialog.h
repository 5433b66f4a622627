#pragma once

#include <QString>

// The common dialog's properties; ShowSave and ShowFont run the dialog through the prompter and
// raise error 32755 on cancel when CancelError is set.
class CommonDialog {
public:
    bool CancelError = false;
    QString DefaultExt;
    QString FileName;
    QString FileTitle;
    QString Filter;
    int FilterIndex = 0;
    QString DialogTitle;
    QString FontName;
    double FontSize = 0;
    bool FontBold = false;
    bool FontItalic = false;

    void ShowSave();
    void ShowFont();
};
