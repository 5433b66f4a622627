#pragma once

#include "ui/controls/Controls.h"

#include <QDialog>

class QPushButton;

// The file-exists dialog, shown modally over the main window. It records the user's answer in
// Globals::intFileChoice: 0 add numbers, 1 append, 2 overwrite, 4 cancel (also any other close).
class frmDialog : public QDialog {
    Q_OBJECT
public:
    explicit frmDialog(QWidget* owner = nullptr);

    // Event handlers.
    void Form_Load();
    void btnAdd_Click();
    void btnAppend_Click();
    void btnOverwrite_Click();
    void btnCancel_Click();
    void Form_Unload();

    // Set by a button just before it closes the dialog; each showing starts with it False.
    bool blnChoiceMade = false;

    Label* Label1;
    QLabel* Image1;
    Label* lblMessage;
    QPushButton* btnAdd;
    QPushButton* btnAppend;
    QPushButton* btnOverwrite;
    QPushButton* btnCancel;

    // Every way of closing ends here: the buttons, the close box, Esc.
    void done(int result) override;
    // Widens the message and the window where the window font needs more room than the design
    // gives the message's longest line.
    void fitMessage();

private:
    void choose(int choice);
};
