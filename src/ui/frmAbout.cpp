#include "frmAbout.h"

#include "Appearance.h"
#include "runtime/AppInfo.h"

#include <QIcon>
#include <QPixmap>
#include <QPushButton>

frmAbout::frmAbout(QWidget* owner) : QDialog(owner, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("About Brenix Terminal"));
    setWindowIcon(programIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFont(windowFont());
    setFixedSize(twips(5835), twips(1650));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(picture(QStringLiteral("logo.png")));
    Image1->setScaledContents(true);
    Image1->setAccessibleName(QStringLiteral("Brenix logo"));
    placeTwips(Image1, 120, 240, 1905, 1020);

    auto label = [this](const QString& caption, const char* name, int left, int top, int width) {
        auto* l = new Label(caption, this);
        l->setObjectName(QLatin1String(name));
        placeTwips(l, left, top, width, 255);
        return l;
    };
    Label1 = label(App::Maker(), "Label1", 2280, 120, 2415);
    lblApp = label(QStringLiteral("Application"), "lblApp", 2280, 360, 2295);
    Label3 = label(QStringLiteral("Version"), "Label3", 2280, 600, 615);
    lblVersion = label(QStringLiteral("X.x"), "lblVersion", 3000, 600, 1095);
    lblCopy = label(QStringLiteral("Copyright"), "lblCopy", 2280, 840, 3375);
    Label4 = label(QStringLiteral("Revision"), "Label4", 2280, 1080, 615);
    widenToFit(Label3); // free room up to the value labels
    widenToFit(Label4);
    lblRevision = label(QStringLiteral("X"), "lblRevision", 3000, 1080, 1095);

    Label3->setBuddy(lblVersion);
    Label4->setBuddy(lblRevision);

    btnClose = new QPushButton(QStringLiteral("OK"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setDefault(true);
    placeTwips(btnClose, 4440, 1200, 1335, 375);
    btnClose->setFocus();
    connect(btnClose, &QPushButton::clicked, this, &frmAbout::btnClose_Click);
}
