#pragma once

#include "ui/controls/Controls.h"

#include <QDialog>

class QPushButton;

// The file-exists dialog, shown modally over the main window.
class frmDialog : public QDialog {
    Q_OBJECT
public:
    explicit frmDialog(QWidget* owner = nullptr);

    Label* Label1;
    QLabel* Image1;
    Label* lblMessage;
    QPushButton* btnAdd;
    QPushButton* btnAppend;
    QPushButton* btnOverwrite;
    QPushButton* btnCancel;
};
