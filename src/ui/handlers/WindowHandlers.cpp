// The main window itself: layout and minimum size, shut-down, the Edit menu and the About box.

#include "capture/CaptureFile.h"
#include "core/Globals.h"
#include "core/LayoutGeometry.h"
#include "port/MSComm.h"
#include "runtime/Log.h"
#include "runtime/RuntimeError.h"
#include "ui/frmAbout.h"
#include "ui/frmMain.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>

void frmMain::Form_Resize()
{
    if (isMinimized())
        return;
    // Below the minimum client size: back to it (a window manager that keeps the minimum hint
    // never lets it get here; another program or one that ignores the hint may).
    const QSize least = minimumWindowSize();
    if (twipsOf(centralWidget()->height()) < Layout::kMinClientHeight)
        resize(width(), least.height());
    if (twipsOf(centralWidget()->width()) < Layout::kMinClientWidth)
        resize(least.width(), height());

    const Layout::MainLayout l =
        Layout::mainLayout(twipsOf(centralWidget()->width()), twipsOf(centralWidget()->height()),
                           Globals::intFrameWidth);
    placeTwips(txtTerm, l.txtTerm);
    placeTwips(Frame1, l.Frame1);
    placeTwips(Frame2, l.Frame2);
    placeTwips(Frame3, l.Frame3);
    lblInfo->resize(twips(l.lblInfoWidth), lblInfo->height());
    lblPath->resize(twips(l.lblPathWidth), lblPath->height());
    lblFile->resize(twips(l.lblFileWidth), lblFile->height());
    btnChange->move(twips(l.btnChangeLeft), btnChange->y());
    btnSave->move(twips(l.btnSaveLeft), btnSave->y());
}

QSize frmMain::minimumWindowSize() const
{
    return {twips(Globals::intFrameWidth + Layout::kMinClientWidth),
            twips(Globals::intFrameHeight + Layout::kMinClientHeight)};
}

void frmMain::mnuExit_Click()
{
    close();
}

void frmMain::Form_Unload()
{
    try {
        if (MSComm1->PortOpen())
            MSComm1->setPortOpen(false);
    } catch (const RuntimeError& e) {
        logSilentError("unload: close port", e); // the program ends all the same
    }
    CaptureFile::closeAll();
    if (m_about)
        m_about->close(); // owned by this window, it goes with it
}

void frmMain::mnuCopy_Click()
{
    auto* box = qobject_cast<TextBox*>(focusWidget());
    if (!box)
        return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    const QString selected = box->SelText();
    if (!selected.isEmpty())
        clipboard->setText(selected);
}

void frmMain::mnuFont_Click()
{
    try {
        const QFont pane = txtTerm->font();
        cdSave.FontBold = pane.bold();
        cdSave.FontItalic = pane.italic();
        cdSave.FontName = pane.family();
        cdSave.FontSize = pane.pointSizeF();
        cdSave.ShowFont();
        QFont chosen = txtTerm->font();
        chosen.setBold(cdSave.FontBold);
        chosen.setItalic(cdSave.FontItalic);
        chosen.setFamilies({cdSave.FontName});
        chosen.setPointSizeF(cdSave.FontSize);
        txtTerm->setFont(chosen);
    } catch (const RuntimeError& e) {
        logSilentError("change font", e); // cancelled, or the font could not be applied
    }
}

void frmMain::mnuAbout_Click()
{
    if (!m_about) {
        m_about = new frmAbout(this);
        m_about->Form_Load();
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}
