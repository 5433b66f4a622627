#include "TestWindow.h"
#include "ui/frmAbout.h"
#include "ui/frmDialog.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QScreen>
#include <QTextDocument>

namespace {
// One control as a screen reader sees it.
struct ScreenReaderRow {
    const char* name; // window.control
    QAccessible::Role role;
    QString accessibleName;
    QString changedTo = {}; // a new caption, when given
    QString labelledBy = {};
    const char* describes = nullptr; // the button whose description follows the caption
};

// Every caption of the window fits its control: nothing is clipped at the window font.
void checkCaptionsFit(QWidget* window)
{
    for (auto* label : window->findChildren<QLabel*>()) {
        if (!label->isVisible())
            continue;
        const QFontMetrics fm(label->font());
        const QRect room = label->contentsRect();
        const QRect needed =
            fm.boundingRect(room, int(label->alignment() | Qt::TextWordWrap), label->text());
        QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height(),
                 qPrintable(label->objectName() + u": "_s + label->text()));
    }
    for (auto* button : window->findChildren<QAbstractButton*>()) {
        if (!button->isVisible())
            continue;
        // Push buttons need room for their text (their size hint has a minimum width);
        // option buttons and check boxes for indicator and text, their size hint.
        const QFontMetrics fm(button->font());
        const int needed = qobject_cast<QPushButton*>(button)
                               ? fm.horizontalAdvance(QString(button->text()).remove(u'&')) + 4
                               : button->sizeHint().width();
        QVERIFY2(button->width() >= needed && button->height() >= fm.height(),
                 qPrintable(button->objectName()));
    }
}
} // namespace

class TestWindows : public QObject {
    Q_OBJECT
private slots:
    void mainWindowDesignState()
    {
        TestWindow w;
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
        // The status bar spans the bottom (the pane's edges are the layout test's).
        QCOMPARE(w->sbStatus->geometry(), QRect(0, twips(4920), twips(6360), twips(255)));
        QVERIFY(w->tmrEvents->Enabled() && w->tmrNoData->Enabled() && w->tmrReceive->Enabled());
        QVERIFY(!w->tmrFlow->Enabled() && !w->tmrRun->Enabled());
        // The timers' intervals: the receive state and the clock follow them.
        const QList<int> intervals{w->tmrEvents->Interval(), w->tmrFlow->Interval(),
                                   w->tmrNoData->Interval(), w->tmrReceive->Interval(),
                                   w->tmrRun->Interval()};
        QCOMPARE(intervals, (QList<int>{100, 5000, 1000, 1000, 1000}));
        QVERIFY(QFontInfo(w->txtTerm->font()).fixedPitch());
        // It starts centred on the screen.
        const QPoint off = w->frameGeometry().center() - w->screen()->availableGeometry().center();
        QVERIFY2(off.manhattanLength() <= 2, qPrintable(u"%1,%2"_s.arg(off.x()).arg(off.y())));
        checkCaptionsFit(w.window.get());
    }

    // What a screen reader is told of the controls whose accessibility the program gives
    // itself: role, name (a label's name is its caption, also after a change), what labels it.
    // What Orca says of the main window's controls is heard in the screen-reader test.
    void screenReaderView_data()
    {
        const QString markup = u"/tmp/<b>bold</b> & <font color=red>x</font>/"_s;
        using A = QAccessible;
        const ScreenReaderRow rows[] = {
            {"frmMain.lblPath", A::StaticText, u"Desktop"_s, markup, u"Save Path"_s, "btnChange"},
            {"frmMain.lblFile", A::StaticText, u"Text1.txt"_s, u"<i>a&amp;b</i><br>c  d.txt"_s,
             u"File Name"_s, "btnSave"},
            {"frmMain.sbStatus", A::StatusBar, QString()},
            {"frmMain.Status", A::StaticText, u"Input: Not Receiving"_s, u"Input: Receiving"_s},
            {"frmMain.Time", A::StaticText, u"00:00:00"_s, u"00:00:05 "_s},
            {"frmDialog.Image1", A::Graphic, u"Warning"_s},
            {"frmDialog.lblMessage", A::StaticText, QString(), markup},
            {"frmAbout.Image1", A::Graphic, u"Brenix logo"_s},
            {"frmAbout.lblVersion", A::StaticText, u"X.x"_s, u"1.0"_s, u"Version"_s},
        };
        addRows(rows);
    }
    void screenReaderView()
    {
        QFETCH(ScreenReaderRow, row);
        TestWindow main;
        frmDialog dialog(main.window.get());
        frmAbout about(main.window.get());
        const QHash<QString, QWidget*> windows{
            {u"frmMain"_s, main.window.get()}, {u"frmDialog"_s, &dialog}, {u"frmAbout"_s, &about}};
        const QStringList path = QString::fromLatin1(row.name).split(u'.');
        QWidget* w = windows[path[0]]->findChild<QWidget*>(path[1]);
        QVERIFY(w);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
        QCOMPARE(iface->role(), row.role);
        QCOMPARE(iface->text(QAccessible::Name), row.accessibleName);
        if (!row.labelledBy.isEmpty()) {
            QStringList labels;
            for (const auto& [other, relation] : iface->relations(QAccessible::Label))
                labels << other->text(QAccessible::Name);
            QCOMPARE(labels, QStringList{row.labelledBy});
        }
        if (auto* bar = qobject_cast<StatusBar*>(w)) {
            QCOMPARE(iface->childCount(), 3);
            for (int i = 0; i < 3; ++i)
                QCOMPARE(iface->child(i)->object(), bar->panelList().at(i));
        }
        if (row.changedTo.isEmpty())
            return;
        // Qt announces a caption change by a name-change event only while the control has no
        // accessible name of its own, which would also hide the caption.
        QVERIFY(w->accessibleName().isEmpty());
        if (auto* label = qobject_cast<Label*>(w)) {
            label->setCaption(row.changedTo);
            // Text from outside in a tooltip shows its tags and entities as they stand.
            label->setToolTipText(row.changedTo);
            QTextDocument tip;
            tip.setHtml(label->toolTip());
            QCOMPARE(tip.toPlainText(), row.changedTo);
        } else
            qobject_cast<QLabel*>(w)->setText(row.changedTo);
        QCOMPARE(iface->text(QAccessible::Name), row.changedTo);
        if (row.describes)
            QCOMPARE(windows[path[0]]
                         ->findChild<QWidget*>(QLatin1String(row.describes))
                         ->accessibleDescription(),
                     row.labelledBy + u": "_s + row.changedTo);
    }

    // One About box at a time, beside a main window that goes on; each showing loads afresh.
    // The file-exists dialog as designed.
    void secondaryWindows()
    {
        TestWindow w;
        w->optStatus->setValue(0, true);
        w->mnuAbout->trigger();
        w->mnuAbout->trigger();
        QCOMPARE(w->findChildren<frmAbout*>().size(), 1);
        QPointer<frmAbout> about = w->findChild<frmAbout*>();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QCOMPARE(about->windowTitle(), u"About Brenix Terminal"_s);
        QCOMPARE(
            about->lblCopy->Caption(),
            u"Copyright \u00a9 2026-%1 Brenix Industries, Inc."_s.arg(QDate::currentDate().year()));
        QCOMPARE(about->Image1->pixmap().size(), QSize(127, 68));
        checkCaptionsFit(about);
        w.fake->inject("still receiving");
        QCOMPARE(w->txtTerm->Text(), u"still receiving"_s);
        about->btnClose->click();
        QTRY_VERIFY(about.isNull());
        w->mnuAbout->trigger();
        QVERIFY(w->findChild<frmAbout*>()->isVisible());

        frmDialog dialog(w.window.get()); // the file-exists dialog
        QVERIFY(!dialog.Image1->pixmap().isNull());
        dialog.Form_Load();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        checkCaptionsFit(&dialog);
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
