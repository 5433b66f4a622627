#include "frmDialog.h"

#include "Appearance.h"

#include <QPixmap>
#include <QPushButton>

frmDialog::frmDialog(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmDialog"));
    setWindowTitle(QStringLiteral("File Already Exists!"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFont(windowFont());
    setFixedSize(twips(6345), twips(1995));

    Label1 = new Label(QStringLiteral("A file by this name already exists in the location you "
                                      "have chosen.  What would you like to do?"),
                       this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    placeTwips(Label1, 720, 120, 4695, 495);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(picture(QStringLiteral("warning.png")));
    Image1->setAccessibleName(QStringLiteral("Warning"));
    placeTwips(Image1, 120, 480, 480, 480);
    lblMessage = new Label(QString(), this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setWordWrap(true);
    lblMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeTwips(lblMessage, 840, 600, 5415, 855);

    auto button = [this](const char* caption, const char* name, int left) {
        auto* b = new QPushButton(QLatin1String(caption), this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        placeTwips(b, left, 1560, 1215, 375);
        return b;
    };
    btnAdd = button("Add Numbers", "btnAdd", 720);
    btnAppend = button("Append", "btnAppend", 2160);
    btnOverwrite = button("Overwrite", "btnOverwrite", 3600);
    btnCancel = button("Cancel", "btnCancel", 5040);
    setTabOrder(btnAdd, btnAppend);
    setTabOrder(btnAppend, btnOverwrite);
    setTabOrder(btnOverwrite, btnCancel);
    btnAdd->setFocus();

    connect(btnAdd, &QPushButton::clicked, this, &frmDialog::btnAdd_Click);
    connect(btnAppend, &QPushButton::clicked, this, &frmDialog::btnAppend_Click);
    connect(btnOverwrite, &QPushButton::clicked, this, &frmDialog::btnOverwrite_Click);
    connect(btnCancel, &QPushButton::clicked, this, &frmDialog::btnCancel_Click);
}

void frmDialog::fitMessage()
{
    const QFontMetrics fm(lblMessage->font());
    int needed = 0;
    for (const QString& line : lblMessage->text().split(u'\n'))
        needed = qMax(needed, fm.horizontalAdvance(line) + 2 * lblMessage->margin() + 2);
    const int extra = needed - lblMessage->contentsRect().width();
    if (extra <= 0)
        return;
    lblMessage->resize(lblMessage->width() + extra, lblMessage->height());
    setFixedSize(width() + extra, height());
}
