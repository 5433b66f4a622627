#pragma once

#include "ui/controls/Controls.h"

#include <QDialog>

class QPushButton;

// The About box, shown modeless over the main window and deleted when closed.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* owner = nullptr);

    // Event handlers.
    void Form_Load();
    void btnClose_Click();

    QLabel* Image1;
    Label* Label1;
    Label* lblApp;
    Label* Label3;
    Label* lblVersion;
    Label* lblCopy;
    Label* Label4;
    Label* lblRevision;
    QPushButton* btnClose;
};
