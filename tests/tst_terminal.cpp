// The operator's three jobs at the window: typing to the unit, capture to a file, and the
// command-access handshake.

#include "PtyUnit.h"
#include "TestSupport.h"
#include "TestWindow.h"

#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <csignal>
#include <thread>

namespace {
using Clock = std::chrono::steady_clock;

// A loaded window whose port 1 is a pseudo-terminal playing the unit.
struct PtyWindow {
    PtyUnit unit;
    PortDir ports;
    std::unique_ptr<TestWindow> w;
    PtyWindow()
    {
        ports.link(1, unit.slavePath());
        w = std::make_unique<TestWindow>(TestWindow::Real);
        (*w)->Load();
        (*w)->show();
        QVERIFY(QTest::qWaitForWindowExposed(w->window.get()));
    }
    frmMain* operator->() const { return w->window.get(); }
    void open() { (*w)->optStatus->setValue(0, true); }
    // What the program sent, collected for `ms` milliseconds.
    QByteArray sentWithin(int ms) { return unit.receive(1 << 20, ms); }
};

const QString kBanner = QStringLiteral("BRENIX INDUSTRIES, INC. (C) 1998\r\n");
} // namespace

class TestTerminal : public QObject {
    Q_OBJECT
private slots:
    void keys_data()
    {
        QTest::addColumn<bool>("portOpen");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QString>("pane");
        const int none = Qt::NoModifier;
        QTest::newRow("port closed: typed into the pane")
            << false << "txtTerm" << int(Qt::Key_A) << "a" << none << QByteArray() << "a";
        QTest::newRow("a sends 97, no echo")
            << true << "txtTerm" << int(Qt::Key_A) << "a" << none << QByteArray("a") << "";
        QTest::newRow("Return sends 13 alone")
            << true << "txtTerm" << int(Qt::Key_Return) << "\r" << none << QByteArray("\r") << "";
        QTest::newRow("Backspace sends 8") << true << "txtTerm" << int(Qt::Key_Backspace) << "\b"
                                           << none << QByteArray("\b") << "";
        QTest::newRow("Esc sends 27") << true << "txtTerm" << int(Qt::Key_Escape) << "\x1b" << none
                                      << QByteArray("\x1b") << "";
        QTest::newRow("Ctrl+C sends nothing") << true << "txtTerm" << int(Qt::Key_C) << "\x03"
                                              << int(Qt::ControlModifier) << QByteArray() << "";
        QTest::newRow("Alt+x sends nothing, the pane takes it")
            << true << "txtTerm" << int(Qt::Key_X) << "x" << int(Qt::AltModifier) << QByteArray()
            << "x";
        QTest::newRow("AltGr @ is sent") << true << "txtTerm" << int(Qt::Key_At) << "@"
                                         << int(Qt::GroupSwitchModifier) << QByteArray("@") << "";
        QTest::newRow("Ctrl+Alt+1 with its text is not sent")
            << true << "txtTerm" << int(Qt::Key_1) << "1"
            << int(Qt::ControlModifier | Qt::AltModifier) << QByteArray() << "1";
        QTest::newRow("e acute sends its code-page byte")
            << true << "txtTerm" << int(Qt::Key_Eacute) << "\u00e9" << none << QByteArray("\xe9")
            << "";
        QTest::newRow("outside the code page: not sent")
            << true << "txtTerm" << int(Qt::Key_unknown) << "\u4e00" << none << QByteArray()
            << "\u4e00";
        QTest::newRow("arrow keeps its meaning")
            << true << "txtTerm" << int(Qt::Key_Left) << "" << none << QByteArray() << "";
        QTest::newRow("Tab moves the focus")
            << true << "chkCommand" << int(Qt::Key_Tab) << "\t" << none << QByteArray() << "";
        QTest::newRow("space on the check box is sent")
            << true << "chkCommand" << int(Qt::Key_Space) << " " << none << QByteArray(" ") << "";
        QTest::newRow("space on the check box, port closed")
            << false << "chkCommand" << int(Qt::Key_Space) << " " << none << QByteArray() << "";
        QTest::newRow("space in the pane, port closed")
            << false << "txtTerm" << int(Qt::Key_Space) << " " << none << QByteArray() << " ";
    }
    void keys()
    {
        QFETCH(bool, portOpen);
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(int, modifiers);
        QFETCH(QByteArray, sent);
        QFETCH(QString, pane);
        PtyWindow w;
        if (portOpen)
            w.open();
        auto* target = w->findChild<QWidget*>(focus);
        target->setFocus();
        QCOMPARE(w->focusWidget(), target);
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key(key), text,
                            Qt::KeyboardModifiers(modifiers));
        QCOMPARE(w.sentWithin(sent.isEmpty() ? 150 : 1000), sent);
        QCOMPARE(w->txtTerm->Text(), pane);
        QCOMPARE(w->chkCommand->Value(), 0); // the space bar never works the check box
        if (key == Qt::Key_Tab)
            QVERIFY(w->focusWidget() != target);
    }

    // The operator's story with the keyboard alone, from start-up to exit: no mouse event.
    void keyboardOnlyStory()
    {
        QTemporaryDir dir;
        PtyWindow w;
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.w->window.get()));
        Globals::strSavePath = dir.path() + u'/';
        const auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
            QTest::keyClick(QApplication::focusWidget(), key, modifiers);
        };
        QCOMPARE(QApplication::focusWidget(), w->cmbComm);
        press(Qt::Key_Tab); // the option group, at "Closed"
        press(Qt::Key_Up);  // "Open"
        QVERIFY(w->MSComm1->PortOpen());
        for (int i = 0; i < 4; ++i) // the baud list, the two buttons, the pane
            press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w->txtTerm);
        press(Qt::Key_H);
        press(Qt::Key_I);
        QCOMPARE(w.unit.receive(2, 1000), QByteArray("hi"));

        press(Qt::Key_S, Qt::ControlModifier); // File, Save To File: capture on
        QCOMPARE(w->btnSave->text(), QStringLiteral("Close File"));
        w.unit.send("hi\r\n");
        QTRY_COMPARE(w->txtTerm->Text(), QStringLiteral("hi\r\n"));
        press(Qt::Key_S, Qt::ControlModifier); // capture off
        QCOMPARE(w->btnSave->text(), QStringLiteral("Save To File"));
        QCOMPARE(fileContents(dir.filePath(Globals::strFileName)), QByteArray("hi\r\n\r\n\r\n"));

        press(Qt::Key_C, Qt::AltModifier); // Enable Command Access
        QTRY_VERIFY(Globals::blnCommandPending);
        QCOMPARE(w->lblInfo->Caption(), QStringLiteral("Cycle power on the Brenix unit."));

        // Back to the option group, wherever the access key left the focus.
        for (int i = 0; i < 8 && QApplication::focusWidget() != (*w->optStatus)(0); ++i)
            press(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), (*w->optStatus)(0));
        press(Qt::Key_Down); // "Closed"
        QVERIFY(!w->MSComm1->PortOpen());

        press(Qt::Key_F, Qt::AltModifier); // File, Exit
        QTRY_VERIFY(QApplication::activePopupWidget());
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_X);
        QTRY_VERIFY(!w->isVisible());
        QCOMPARE(w.unit.receive(1, 100), QByteArray()); // nothing but the typed keys was sent
    }

    void captureOnAndOff()
    {
        QTemporaryDir dir;
        OpenFakeWindow w;
        Globals::strSavePath = dir.path() + u'/';
        Globals::strFileName = QStringLiteral("cap.txt");
        const QString path = dir.filePath(QStringLiteral("cap.txt"));
        w.receive("before ");
        w->btnSave->click();
        QCOMPARE(w->btnSave->text(), QStringLiteral("Close File"));
        QCOMPARE(w->mnuSave->text(), QStringLiteral("Close File"));
        QCOMPARE(w.panel(QStringLiteral("Status")), QStringLiteral("Input: Receiving"));
        w.receive("AB\r\nC");
        QCOMPARE(w.panel(QStringLiteral("Status")), QStringLiteral("Input: Saving to file"));
        w.receive(QByteArray("\0\x80\xE9\n\r", 5));
        w->btnSave->click();
        QCOMPARE(w->btnSave->text(), QStringLiteral("Save To File"));
        QCOMPARE(w->mnuSave->text(), QStringLiteral("Save To File"));
        const QByteArray firstRun("AB\r\nC\0\x80\xE9\r\n\r\n\r\n", 14);
        QCOMPARE(fileContents(path), firstRun);
        w.receive("while off ");
        w->mnuSave->trigger(); // the File menu's item: a second run, appended
        w.receive("D");
        w->mnuSave->trigger();
        QCOMPARE(fileContents(path), firstRun + "D\r\n\r\n");
        QVERIFY(w.prompter.messages.isEmpty());
    }

    void captureOpenFailures()
    {
        QTemporaryDir dir;
        OpenFakeWindow w;
        Globals::strSavePath = dir.path() + u'/';
        Globals::strFileName = QStringLiteral("????");
        w->btnSave->click();
        QCOMPARE(w.onlyMessage(),
                 TestWindow::message(48, QStringLiteral("File Error!"),
                                     QStringLiteral("An error has occurred while trying to open "
                                                    "the file: ") +
                                         dir.path() + QStringLiteral("/????")));
        QCOMPARE(w->btnSave->text(), QStringLiteral("Save To File"));
        QVERIFY(!Globals::blnSaving);
        QVERIFY(QDir(dir.path()).isEmpty());
    }

    // A failing capture write is reported once per run, after the event, and capture goes on.
    void captureWriteFailureReportedOnce()
    {
        if (!QFile::exists(QStringLiteral("/dev/full")))
            QSKIP("no /dev/full here");
        OpenFakeWindow w;
        Globals::strSavePath = QStringLiteral("/dev/");
        Globals::strFileName = QStringLiteral("full");
        w->btnSave->click();
        w.prompter.onMessage = [&](const MessageBoxCall&) {
            w.receive("during the box\r"); // no second box while the first is up
        };
        w.receive("shown\r");
        QCOMPARE(w->txtTerm->Text(), QStringLiteral("shown\r\n"));
        QVERIFY(w.prompter.messages.isEmpty()); // not inside the event
        QTRY_COMPARE(w.prompter.messages.size(), 1);
        const QString writing =
            TestWindow::message(48, QStringLiteral("File Error!"),
                                QStringLiteral("An error has occurred while writing to the file: "
                                               "/dev/full"));
        QCOMPARE(w.onlyMessage(), writing);
        QVERIFY(Globals::blnSaving);
        w.receive("more\r");
        QTest::qWait(20);
        QCOMPARE(w.prompter.messages.size(), 1);
        QVERIFY(w->txtTerm->Text().endsWith(QStringLiteral("more\r\n")));
        // Switching off fails on the trailer: capture stays switched on.
        w.prompter.onMessage = nullptr;
        w->btnSave->click();
        QCOMPARE(w.prompter.messages.size(), 2);
        QCOMPARE(w.prompter.messages.last().text,
                 QStringLiteral("An error has occurred while trying to open the file: /dev/full"));
        QCOMPARE(w->btnSave->text(), QStringLiteral("Close File"));
        QCOMPARE(w->mnuSave->text(), QStringLiteral("Close File"));
    }

    // The program killed outright while capturing: every handled event's bytes are on disk.
    void captureSurvivesKill()
    {
        PtyUnit unit;
        PortDir ports;
        ports.link(1, unit.slavePath());
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("killed.txt"));
        QProcess child;
        child.start(QStringLiteral(CAPTURE_CHILD_PATH), {path});
        QVERIFY(child.waitForReadyRead(10000));
        QCOMPARE(child.readLine().trimmed(), QByteArray("ready"));
        // The child prints the captured length after each event it has handled.
        int lastHandled = 0;
        const auto readAcks = [&] {
            while (child.canReadLine())
                lastHandled = child.readLine().trimmed().toInt();
        };
        QByteArray expected;
        for (int i = 0; i < 40; ++i) {
            unit.send("reading " + QByteArray::number(i) + "\n\r"); // LF dropped, CR kept
            expected += "reading " + QByteArray::number(i) + "\r\n";
            if (i == 19) { // half of it surely handled, the rest still arriving at the kill
                QTRY_VERIFY_WITH_TIMEOUT(
                    (child.waitForReadyRead(20), readAcks(), lastHandled == expected.size()), 5000);
            }
        }
        child.waitForReadyRead(5);
        readAcks();
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(5000));
        const QByteArray onDisk = fileContents(path);
        QVERIFY2(onDisk.size() >= lastHandled,
                 qPrintable(QStringLiteral("%1 < %2").arg(onDisk.size()).arg(lastHandled)));
        QCOMPARE(onDisk, expected.left(onDisk.size()));
    }

    void handshakeStatesAndOrder()
    {
        OpenFakeWindow w;
        w->chkCommand->click();
        QCOMPARE(w->lblInfo->Caption(), QStringLiteral("Cycle power on the Brenix unit."));
        QCOMPARE(w->lblInfo->BackColor(), OleColor::Yellow);
        QVERIFY(!w->chkCommand->isEnabled());
        QCOMPARE(w->chkCommand->Value(), 1);

        w.receive("brenix industries, inc.\r\n"); // lower case: only shown
        QVERIFY(w.fake->written.isEmpty());
        int paneWhenSent = -1;
        w.fake->onWrite = [&](const QByteArray&) { paneWhenSent = w->txtTerm->Length(); };
        const int before = w->txtTerm->Length();
        w.receive(kBanner.toLatin1());
        QCOMPARE(w.fake->written, QByteArray("  "));
        QCOMPARE(paneWhenSent, before); // the banner is shown only after the answer
        QCOMPARE(w->lblInfo->Caption(), QStringLiteral("Please wait for unit to initialize."));
        QCOMPARE(w->lblInfo->BackColor(), OleColor::Yellow);
        QVERIFY(w->tmrFlow->Enabled());

        // Keys are not sent while the handshake is under way.
        w->txtTerm->setFocus();
        w->KeyPreview = true;
        QTest::keyClick(w->txtTerm, Qt::Key_A);
        QCOMPARE(w.fake->written, QByteArray("  "));

        w.receiveLines(QStringLiteral("STATUS 01"), 10);
        QVERIFY(Globals::blnCommandPending); // settled, but within the flow period
        w->tmrFlow_Timer();
        QVERIFY(Globals::blnCommandPending); // the tick alone completes nothing
        w.receiveLines(QStringLiteral("STATUS 02"), 1);
        QVERIFY(!Globals::blnCommandPending);
        QCOMPARE(w->lblInfo->Caption(), QString());
        QCOMPARE(w->lblInfo->BackColor(), OleColor::ButtonFace);
        QVERIFY(w->chkCommand->isEnabled());
        QCOMPARE(w->chkCommand->Value(), 0);
        QVERIFY(!w->tmrFlow->Enabled());
    }

    void handshakeBlockedByEmptyLineAndRepeatedBanner()
    {
        OpenFakeWindow w;
        w->chkCommand->click();
        w.receive(kBanner.toLatin1());
        w->tmrFlow_Timer();
        w.receiveLines(QStringLiteral("STATUS 01"), 5);
        w.receive("\r"); // an empty line among the ten
        w.receiveLines(QStringLiteral("STATUS 01"), 9);
        QVERIFY(Globals::blnCommandPending);
        w.receive(kBanner.toLatin1()); // answered again
        QCOMPARE(w.fake->written, QByteArray("    "));
        QVERIFY(Globals::blnFlowElapsed); // kept
        w.receiveLines(QStringLiteral("STATUS 01"), 10);
        QVERIFY(!Globals::blnCommandPending);
    }

    // The two spaces leave 1000 ms after the banner line arrives, and 250 ms apart.
    void handshakeTimingOnPty()
    {
        PtyWindow w;
        w.open();
        w->chkCommand->click();
        std::vector<Clock::time_point> arrivals;
        std::thread reader([&] {
            for (int i = 0; i < 2; ++i) {
                if (w.unit.receive(1, 5000).size() == 1)
                    arrivals.push_back(Clock::now());
            }
        });
        const Clock::time_point sent = Clock::now();
        w.unit.send(kBanner.toLatin1());
        QTRY_VERIFY_WITH_TIMEOUT(w->txtTerm->Length() > 0, 5000);
        reader.join();
        QCOMPARE(arrivals.size(), std::size_t(2));
        using std::chrono::milliseconds;
        const auto first = std::chrono::duration_cast<milliseconds>(arrivals[0] - sent).count();
        const auto gap =
            std::chrono::duration_cast<milliseconds>(arrivals[1] - arrivals[0]).count();
        QVERIFY2(first >= 1000 && first <= 1020, qPrintable(QString::number(first)));
        QVERIFY2(gap >= 230 && gap <= 270, qPrintable(QString::number(gap)));
    }
};

QTEST_MAIN(TestTerminal)
#include "tst_terminal.moc"
