// The About box: title, version, revision and the copyright notice, computed at each load.

#include "runtime/AppInfo.h"
#include "ui/frmAbout.h"

#include <QDate>

void frmAbout::Form_Load()
{
    lblVersion->setCaption(QStringLiteral("%1.%2").arg(App::Major()).arg(App::Minor()));
    lblRevision->setCaption(QString::number(App::Revision()));
    lblCopy->setCaption(App::Copyright(QDate::currentDate().year()));
    lblApp->setCaption(App::Title());
}

void frmAbout::btnClose_Click()
{
    close(); // deleted when closed: the next opening loads afresh
}
