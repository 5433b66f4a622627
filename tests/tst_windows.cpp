#include "TestWindow.h"
#include "ui/frmAbout.h"
#include "ui/frmDialog.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QDir>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTextDocument>

namespace {
// One control as a screen reader sees it.
struct ScreenReaderRow {
    const char* window;
    const char* control;
    QAccessible::Role role;
    QString name;
    QString changedTo; // a new caption or selection, when given
    QString labelledBy;
};

void saveShot(QWidget* w, const QString& name)
{
    const QString dir = qEnvironmentVariable("BRENIX_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    w->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

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
                 qPrintable(label->objectName() + QStringLiteral(": ") + label->text()));
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
        QCOMPARE(w->centralWidget()->size(), QSize(twips(6360), twips(5175)));
        // The status bar spans the bottom; the laid-out pane meets it.
        QCOMPARE(w->sbStatus->geometry(), QRect(0, twips(4920), twips(6360), twips(255)));
        QCOMPARE(w->txtTerm->geometry().bottom() + 1, w->sbStatus->y());
        QCOMPARE(w->cmbComm->ListCount(), 16);
        QCOMPARE(w->cmbComm->ListIndex(), -1);
        QCOMPARE(w->cmbBaud->List(3), QStringLiteral("9600"));
        QCOMPARE(w->cmbBaud->ListIndex(), -1);
        QVERIFY(w->optStatus->Value(1) && !w->optStatus->Value(0));
        QVERIFY(w->tmrEvents->Enabled() && w->tmrNoData->Enabled() && w->tmrReceive->Enabled());
        QVERIFY(!w->tmrFlow->Enabled() && !w->tmrRun->Enabled());
        // The timers' intervals: the receive state and the clock follow them.
        const QList<int> intervals{w->tmrEvents->Interval(), w->tmrFlow->Interval(),
                                   w->tmrNoData->Interval(), w->tmrReceive->Interval(),
                                   w->tmrRun->Interval()};
        QCOMPARE(intervals, (QList<int>{100, 5000, 1000, 1000, 1000}));
        QVERIFY(QFontInfo(w->txtTerm->font()).fixedPitch());
        QVERIFY(!w->windowIcon().isNull());
        // It starts centred on the screen.
        const QPoint off = w->frameGeometry().center() - w->screen()->availableGeometry().center();
        QVERIFY2(off.manhattanLength() <= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(off.x()).arg(off.y())));
        checkCaptionsFit(w.window.get());
        saveShot(w.window.get(), QStringLiteral("frmMain"));
    }

    // What a screen reader is told of each control: its role, its name (a label's name is its
    // caption, also after a change), what labels it.
    void screenReaderView_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("changedTo"); // a new caption or selection, when given
        QTest::addColumn<QString>("labelledBy");
        for (const ScreenReaderRow& r : screenReaderTable())
            QTest::addRow("%s.%s", r.window, r.control)
                << QString::fromLatin1(r.window) << QString::fromLatin1(r.control) << int(r.role)
                << r.name << r.changedTo << r.labelledBy;
    }

    // Every control of the three windows has its row in the table.
    void screenReaderTableCoversEveryControl()
    {
        TestWindow main;
        frmDialog dialog(main.window.get());
        frmAbout about(main.window.get());
        const std::pair<const char*, QWidget*> windows[] = {
            {"frmMain", main.window.get()}, {"frmDialog", &dialog}, {"frmAbout", &about}};
        QStringList missing;
        for (const auto& [name, window] : windows)
            for (QWidget* w : window->findChildren<QWidget*>()) {
                const QString control = w->objectName();
                if (control.isEmpty() || control.startsWith(QLatin1String("qt_")) ||
                    control == QLatin1String("client") ||
                    (w->window() != window && !qobject_cast<QMenu*>(w)))
                    continue;
                const auto table = screenReaderTable();
                if (std::none_of(table.begin(), table.end(), [&](const ScreenReaderRow& r) {
                        return r.window == QLatin1String(name) && r.control == control;
                    }))
                    missing << QLatin1String(name) + u'.' + control;
            }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u' ')));
    }

    static QList<ScreenReaderRow> screenReaderTable()
    {
        QList<ScreenReaderRow> rows;
        const auto row = [&rows](const char* window, const char* control, QAccessible::Role role,
                                 const QString& name, const QString& changedTo = QString(),
                                 const QString& labelledBy = QString()) {
            rows.append({window, control, role, name, changedTo, labelledBy});
        };
        const QString markup = QStringLiteral("/tmp/<b>bold</b> & <font color=red>x</font>/");
        using A = QAccessible;
        row("frmMain", "mnuFile", A::PopupMenu, QString()); // named by its bar item
        row("frmMain", "mnuEdit", A::PopupMenu, QString()); // named by its bar item
        row("frmMain", "mnuHelp", A::PopupMenu, QString()); // named by its bar item
        row("frmMain", "Frame1", A::Border, QString());
        row("frmMain", "Label1", A::StaticText, QStringLiteral("Port"));
        row("frmMain", "cmbComm", A::ComboBox, QString(), QStringLiteral("3"));
        row("frmMain", "optStatus(0)", A::RadioButton, QStringLiteral("Open"));
        row("frmMain", "optStatus(1)", A::RadioButton, QStringLiteral("Closed"));
        row("frmMain", "Label2", A::StaticText, QStringLiteral("Baud Rate"));
        row("frmMain", "cmbBaud", A::ComboBox, QString(), QStringLiteral("9600"));
        row("frmMain", "Frame2", A::Border, QString());
        row("frmMain", "Label3", A::StaticText, QStringLiteral("Save Path"));
        row("frmMain", "lblPath", A::StaticText, QStringLiteral("Desktop"), markup,
            QStringLiteral("Save Path"));
        row("frmMain", "btnChange", A::Button, QStringLiteral("Change"));
        row("frmMain", "Label4", A::StaticText, QStringLiteral("File Name"));
        row("frmMain", "lblFile", A::StaticText, QStringLiteral("Text1.txt"),
            QStringLiteral("<i>a&b</i>.txt"), QStringLiteral("File Name"));
        row("frmMain", "btnSave", A::Button, QStringLiteral("Save To File"),
            QStringLiteral("Close File"));
        row("frmMain", "Frame3", A::Border, QString());
        row("frmMain", "chkCommand", A::CheckBox, QStringLiteral("Enable Command Access"));
        row("frmMain", "lblInfo", A::StaticText, QString(),
            QStringLiteral("Cycle power on the Brenix unit."));
        row("frmMain", "txtTerm", A::EditableText, QStringLiteral("Terminal"));
        row("frmMain", "sbStatus", A::StatusBar, QString());
        row("frmMain", "Status", A::StaticText, QStringLiteral("Input: Not Receiving"),
            QStringLiteral("Input: Receiving"));
        row("frmMain", "Settings", A::StaticText, QStringLiteral("Settings:"),
            QStringLiteral("Settings: 9600,n,8,1"));
        row("frmMain", "Time", A::StaticText, QStringLiteral("00:00:00"),
            QStringLiteral("00:00:05 "));
        row("frmDialog", "Label1", A::StaticText,
            QStringLiteral("A file by this name already exists in the location you have "
                           "chosen.  What would you like to do?"));
        row("frmDialog", "Image1", A::Graphic, QStringLiteral("Warning"));
        row("frmDialog", "lblMessage", A::StaticText, QString(), markup);
        row("frmDialog", "btnAdd", A::Button, QStringLiteral("Add Numbers"));
        row("frmDialog", "btnAppend", A::Button, QStringLiteral("Append"));
        row("frmDialog", "btnOverwrite", A::Button, QStringLiteral("Overwrite"));
        row("frmDialog", "btnCancel", A::Button, QStringLiteral("Cancel"));
        row("frmAbout", "Image1", A::Graphic, QStringLiteral("Brenix logo"));
        row("frmAbout", "Label1", A::StaticText, QStringLiteral("Brenix Industries, Inc."));
        row("frmAbout", "lblApp", A::StaticText, QStringLiteral("Application"),
            QStringLiteral("Brenix Terminal"));
        row("frmAbout", "Label3", A::StaticText, QStringLiteral("Version"));
        row("frmAbout", "lblVersion", A::StaticText, QStringLiteral("X.x"), QStringLiteral("1.0"),
            QStringLiteral("Version"));
        row("frmAbout", "lblCopy", A::StaticText, QStringLiteral("Copyright"),
            QStringLiteral("Copyright \u00a9 2026-2026 Brenix Industries, Inc."));
        row("frmAbout", "Label4", A::StaticText, QStringLiteral("Revision"));
        row("frmAbout", "lblRevision", A::StaticText, QStringLiteral("X"), QStringLiteral("0"),
            QStringLiteral("Revision"));
        row("frmAbout", "btnClose", A::Button, QStringLiteral("OK"));
        return rows;
    }

    void screenReaderView()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(int, role);
        QFETCH(QString, name);
        QFETCH(QString, changedTo);
        QFETCH(QString, labelledBy);
        TestWindow main;
        frmDialog dialog(main.window.get());
        frmAbout about(main.window.get());
        QWidget* top = window == QLatin1String("frmMain") ? static_cast<QWidget*>(main.window.get())
                       : window == QLatin1String("frmDialog") ? static_cast<QWidget*>(&dialog)
                                                              : &about;
        QWidget* w = top->findChild<QWidget*>(control);
        QVERIFY(w);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
        QVERIFY(iface);
        QCOMPARE(int(iface->role()), role);
        QCOMPARE(iface->text(QAccessible::Name), name);

        if (!labelledBy.isEmpty()) {
            QStringList labels;
            for (const auto& [other, relation] : iface->relations(QAccessible::Label))
                labels << other->text(QAccessible::Name);
            QCOMPARE(labels, QStringList{labelledBy});
        }
        if (auto* option = qobject_cast<OptionButton*>(w))
            QCOMPARE(iface->state().checked, option->isChecked());
        if (qobject_cast<TextBox*>(w))
            QVERIFY(iface->textInterface());
        if (auto* bar = qobject_cast<StatusBar*>(w)) {
            QCOMPARE(iface->childCount(), 3);
            for (int i = 0; i < 3; ++i) {
                QCOMPARE(iface->child(i)->object(), bar->panelList().at(i));
                QCOMPARE(iface->child(i)->role(), QAccessible::StaticText);
            }
        }

        if (changedTo.isEmpty())
            return;
        // Qt announces a caption change by a name-change event only while the control has no
        // accessible name of its own, which would also hide the caption.
        QVERIFY(w->accessibleName().isEmpty());
        if (auto* label = qobject_cast<Label*>(w))
            label->setCaption(changedTo);
        else if (auto* panel = qobject_cast<QLabel*>(w))
            panel->setText(changedTo);
        else if (auto* combo = qobject_cast<QComboBox*>(w))
            combo->setCurrentIndex(combo->findText(changedTo));
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            button->setText(changedTo);
        QCOMPARE(iface->text(QAccessible::Name), changedTo);
    }

    // Text from outside (a path, a file name, a device) in a tooltip shows its tags as they stand.
    void toolTipsShowPlainText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("bold and colour") << QStringLiteral("/p/<b>x</b><font color=red>r</font>");
        QTest::newRow("image") << QStringLiteral("<img src=\"/etc/passwd\">");
        QTest::newRow("entities and breaks") << QStringLiteral("a &amp; b<br>c  d");
        QTest::newRow("plain") << QStringLiteral("Text1.txt");
    }
    void toolTipsShowPlainText()
    {
        QFETCH(QString, text);
        Label label;
        label.setToolTipText(text);
        QCOMPARE(label.ToolTipText(), text);
        QTextDocument shown;
        if (Qt::mightBeRichText(label.toolTip()))
            shown.setHtml(label.toolTip());
        else
            shown.setPlainText(label.toolTip());
        QCOMPARE(shown.toPlainText(), text);
        QVERIFY(shown.allFormats().size() > 0);
        for (const QTextFormat& f : shown.allFormats())
            QVERIFY(!f.isImageFormat() && !f.toCharFormat().font().bold());
    }

    void secondaryWindows()
    {
        TestWindow main;
        frmDialog dialog(main.window.get());
        QCOMPARE(dialog.size(), QSize(twips(6345), twips(1995)));
        QVERIFY(!dialog.Image1->pixmap().isNull());
        dialog.Form_Load();
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        checkCaptionsFit(&dialog);
        saveShot(&dialog, QStringLiteral("frmDialog"));

        auto* about = new frmAbout(main.window.get());
        QCOMPARE(about->size(), QSize(twips(5835), twips(1650)));
        QCOMPARE(about->Image1->pixmap().size(), QSize(127, 68));
        about->Form_Load();
        about->show();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        checkCaptionsFit(about);
        saveShot(about, QStringLiteral("frmAbout"));
        QPointer<frmAbout> guard(about);
        about->close(); // each showing loads afresh
        QTRY_VERIFY(guard.isNull());
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
