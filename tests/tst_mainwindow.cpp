// The main window at work: layout and minimum size, shut-down, the Edit menu, and the font and
// save dialogs.

#include "TestWindow.h"
#include "ui/frmAbout.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>

namespace {
// A loaded window on the fake device, shown and active.
struct ShownWindow : TestWindow {
    ShownWindow()
    {
        window->Load();
        QVERIFY(showActive());
    }
    QSize client() const { return window->centralWidget()->size(); }
    // Resizes the client area as a window manager or another program would.
    void resizeClient(int width, int height)
    {
        window->resize(QSize(width, height) + window->size() - client());
    }
};

// Every control's right and bottom edges lie inside the client area.
QStringList overrunning(frmMain& w)
{
    QStringList out;
    const QRect client = w.centralWidget()->rect();
    for (QWidget* c : w.centralWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (c->geometry().right() > client.right() || c->geometry().bottom() > client.bottom())
            out << c->objectName();
    for (QFrame* frame : {w.Frame1, w.Frame2, w.Frame3})
        for (QWidget* c : frame->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (c->geometry().right() > frame->contentsRect().right())
                out << c->objectName();
    return out;
}

// An arrow key on an option button: where it starts, the key, an error the open raises, and
// what follows.
struct ArrowRow {
    const char* name;
    bool startOpen;
    int key, failApply;
    bool openAfter;
    int focusAfter, messages;
};
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void layoutStretchesAndSpringsBack()
    {
        ShownWindow w;
        const QSize minimum(twips(6360), twips(5175));
        QCOMPARE(w.client(), minimum);
        QVERIFY(overrunning(*w).isEmpty());
        // The design layout, whatever frame width the platform measures.
        QCOMPARE(w->txtTerm->geometry(), QRect(twips(120), twips(1380), twips(6135), twips(3540)));
        QCOMPARE(w->btnChange->x(), twips(2040));
        const QRect pane = w->txtTerm->geometry();
        // What stretches to the right: three labels' widths, two buttons' left edges.
        const auto stretching = [&] {
            return QList<int>{w->lblInfo->width(), w->lblPath->width(), w->lblFile->width(),
                              w->btnChange->x(), w->btnSave->x()};
        };
        QList<int> stretched = stretching();
        for (int& edge : stretched)
            edge += 400;
        const QRect frame1 = w->Frame1->geometry(), port = w->cmbComm->geometry();

        w.resizeClient(minimum.width() + 400, minimum.height() + 300);
        QTRY_COMPARE(w.client(), minimum + QSize(400, 300));
        QCOMPARE(w->txtTerm->geometry(), pane.adjusted(0, 0, 400, 300));
        QCOMPARE(w->txtTerm->geometry().bottom() + 1, w->sbStatus->y()); // meets the status bar
        QCOMPARE(stretching(), stretched);
        QCOMPARE(w->Frame1->geometry(), frame1);
        QCOMPARE(w->cmbComm->geometry(), port);
        QVERIFY(overrunning(*w).isEmpty());

        // Smaller than the minimum, where nothing but the window itself keeps it.
        w->setMinimumSize(0, 0);
        // Each answer differs from the size before it, so the wait ends only on the answer.
        w.resizeClient(minimum.width() - 100, minimum.height() - 80);
        QTRY_COMPARE(w.client(), minimum);
        w.resizeClient(minimum.width() + 70, minimum.height() - 60); // too short only
        QTRY_COMPARE(w.client(), QSize(minimum.width() + 70, minimum.height()));
        w.resizeClient(minimum.width() - 100, minimum.height() + 50); // too narrow only
        QTRY_COMPARE(w.client(), QSize(minimum.width(), minimum.height() + 50));
        QVERIFY(overrunning(*w).isEmpty());
        QCOMPARE(w->txtTerm->geometry(), pane.adjusted(0, 0, 0, 50));
    }

    // File, Exit or the close box: port closed, capture file closed with no trailer, the About
    // box gone; a port that cannot be closed does not stop it.
    void shutDown_data()
    {
        QTest::addColumn<bool>("menu");
        QTest::addColumn<bool>("closeFails");
        QTest::newRow("File, Exit") << true << false;
        QTest::newRow("close box") << false << false;
        QTest::newRow("device removed") << true << true;
    }
    void shutDown()
    {
        QFETCH(bool, menu);
        QFETCH(bool, closeFails);
        ShownWindow w;
        const QString path = w.captureTo(u"shut.txt"_s);
        w->optStatus->setValue(0, true);
        w->btnSave->click();
        w.fake->inject("last\r");
        w->mnuAbout->trigger();
        QPointer<frmAbout> about = w->findChild<frmAbout*>();
        QVERIFY(about && about->isVisible());
        w.fake->failCloseWith = closeFails ? Err::ReadFailed : 0;
        if (menu)
            w->mnuExit->trigger();
        else
            w->close();
        QVERIFY(!w->isVisible());
        QTRY_VERIFY(about.isNull());
        QVERIFY(!CaptureFile::number1().isOpen());
        QCOMPARE(fileContents(path), QByteArray("last\r\n"));
        QCOMPARE(w->MSComm1->PortOpen(), closeFails);
        QVERIFY(w.prompter.messages.isEmpty());
    }

    // The Edit menu's Copy (Ctrl+C) puts the pane's selection on the clipboard, line breaks and
    // all, and empties it when nothing is selected; on another control it leaves it alone.
    void copy()
    {
        ShownWindow w;
        w->optStatus->setValue(0, true);
        w.fake->inject("abcd\r\nefgh");
        const auto copied = [&](QWidget* focus, int start, int length) {
            w->txtTerm->setSelStart(start);
            w->txtTerm->setSelLength(length);
            QApplication::clipboard()->setText(u"before"_s);
            focus->setFocus();
            QTest::keyClick(focus, Qt::Key_C, Qt::ControlModifier);
            return QApplication::clipboard()->text();
        };
        QCOMPARE(copied(w->txtTerm, 2, 6), u"cd\r\nef"_s);
        QCOMPARE(copied(w->txtTerm, 3, 0), QString());
        QCOMPARE(copied(w->cmbBaud, 2, 6), u"before"_s);
        QVERIFY(w.fake->written.isEmpty());
    }

    void changeFont()
    {
        ShownWindow w;
        const auto described = [](const QFont& f) {
            return u"%1 %2 bold %3 italic %4"_s.arg(f.family())
                .arg(f.pointSize())
                .arg(f.bold())
                .arg(f.italic());
        };
        w.prompter.fontAnswers << QFont(u"Liberation Sans"_s, 12, QFont::Bold) << std::nullopt;
        w->mnuFont->trigger();
        const QString chosen = u"Liberation Sans 12 bold 1 italic 0"_s;
        QCOMPARE(described(w->txtTerm->font()), chosen);
        w->mnuFont->trigger(); // starts on the chosen font; cancelled: nothing changes
        QCOMPARE(described(w.prompter.fontRequests.last()), chosen);
        QCOMPARE(described(w->txtTerm->font()), chosen);
        QVERIFY(w.prompter.messages.isEmpty());
    }

    // Qt's own dialogs as the program sets them up: a name typed in the save dialog without an
    // extension gets ".txt"; the font dialog offers no effects, which the pane would not apply.
    void qtDialogs()
    {
        QTemporaryDir dir;
        QStringList effects{u"no font dialog"_s};
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* save = qobject_cast<QFileDialog*>(modal); save && save->isVisible()) {
                save->findChild<QLineEdit*>(u"fileNameEdit"_s)->setText(dir.filePath(u"notes"_s));
                QMetaObject::invokeMethod(save, "accept"); // protected in QFileDialog
            } else if (auto* font = qobject_cast<QFontDialog*>(modal); font && font->isVisible()) {
                effects.clear();
                for (auto* box : font->findChildren<QCheckBox*>())
                    if (box->isVisibleTo(font))
                        effects << box->text();
                font->reject();
            }
        });
        poll.start(5);
        const auto chosen = QtPrompter().saveFile({u"Save File As"_s, dir.filePath(u"Text1.txt"_s),
                                                   u"Text files (*.txt)|*.txt"_s, 1, u".txt"_s});
        QCOMPARE(chosen.value_or(QString()), dir.filePath(u"notes.txt"_s));
        QVERIFY(!QtPrompter().chooseFont(QFont(u"Liberation Mono"_s, 9)));
        QCOMPARE(effects, QStringList());
    }

    // An arrow key on an option button selects the next one, wrapping round, and runs its Click
    // as a mouse click does, message box and put-back included.
    void optionArrows_data()
    {
        const ArrowRow rows[] = {
            {"Up on Closed opens", false, Qt::Key_Up, 0, true, 0, 0},
            {"Down on Closed wraps to Open", false, Qt::Key_Down, 0, true, 0, 0},
            {"Right on Open closes", true, Qt::Key_Right, 0, false, 1, 0},
            {"Left on Open wraps to Closed", true, Qt::Key_Left, 0, false, 1, 0},
            {"a failed open is put back", false, Qt::Key_Up, Err::ApplyStateFailed, false, 0, 1},
        };
        addRows(rows);
    }
    void optionArrows()
    {
        QFETCH(ArrowRow, row);
        const auto [name, startOpen, key, failApply, openAfter, focusAfter, messages] = row;
        ShownWindow w;
        if (startOpen)
            w->optStatus->setValue(0, true);
        w.fake->failApplyWith = failApply;
        OptionButton* start = (*w->optStatus)(startOpen ? 0 : 1);
        start->setFocus();
        QTest::keyClick(start, Qt::Key(key));
        QCOMPARE(w.state(), openAfter ? kOpenState : kClosedState);
        QCOMPARE(QApplication::focusWidget(), (*w->optStatus)(focusAfter));
        QCOMPARE(w.prompter.messages.size(), messages);
        // The group's one tab stop follows the selection.
        QCOMPARE((*w->optStatus)(openAfter ? 0 : 1)->focusPolicy(), Qt::StrongFocus);
        QCOMPARE((*w->optStatus)(openAfter ? 1 : 0)->focusPolicy(), Qt::ClickFocus);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
