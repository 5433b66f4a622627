// The operator's three jobs at the window: typing to the unit, capture to a file, and the
// command-access handshake.

#include "TestWindow.h"

#include <QScopeGuard>
#include <QThread>

#include <atomic>
#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QByteArray kBanner = "BRENIX INDUSTRIES, INC. (C) 1998\r\n";

struct KeyRow {
    const char* name;
    bool portOpen;
    const char* focus;
    int key;
    QString text;
    int modifiers;
    QByteArray sent;
    QString pane;
};
} // namespace

class TestTerminal : public QObject {
    Q_OBJECT
private slots:
    void keys_data()
    {
        const int none = Qt::NoModifier;
        const KeyRow rows[] = {
            {"port closed: typed into the pane", false, "txtTerm", Qt::Key_A, "a", none, "", "a"},
            {"a sends 97, no echo", true, "txtTerm", Qt::Key_A, "a", none, "a", ""},
            {"Return sends 13 alone", true, "txtTerm", Qt::Key_Return, "\r", none, "\r", ""},
            {"Alt+x is neither sent nor typed", true, "txtTerm", Qt::Key_X, "x", Qt::AltModifier,
             "", ""},
            {"AltGr @ is sent", true, "txtTerm", Qt::Key_At, "@", Qt::GroupSwitchModifier, "@", ""},
            {"port closed: AltGr @ is typed", false, "txtTerm", Qt::Key_At, "@",
             Qt::GroupSwitchModifier, "", "@"},
            {"Ctrl+Alt+1 with its text is neither sent nor typed", true, "txtTerm", Qt::Key_1, "1",
             Qt::ControlModifier | Qt::AltModifier, "", ""},
            {"space on the check box is sent", true, "chkCommand", Qt::Key_Space, " ", none, " ",
             ""},
            {"space on the check box, port closed", false, "chkCommand", Qt::Key_Space, " ", none,
             "", ""},
        };
        addRows(rows);
    }
    void keys()
    {
        QFETCH(KeyRow, row);
        PtyWindow w;
        QVERIFY(w.showActive());
        if (row.portOpen)
            w->optStatus->setValue(0, true);
        auto* target = w->findChild<QWidget*>(QLatin1String(row.focus));
        target->setFocus();
        QCOMPARE(w->focusWidget(), target);
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key(row.key), row.text,
                            Qt::KeyboardModifiers(row.modifiers));
        QCOMPARE(w.unit->receive(1 << 20, row.sent.isEmpty() ? 150 : 1000), row.sent);
        QCOMPARE(w->txtTerm->Text(), row.pane);
        QCOMPARE(w->chkCommand->Value(), 0); // the space bar never works the check box
    }

    void captureOnAndOff()
    {
        OpenFakeWindow w;
        const QString path = w.captureTo(u"cap.txt"_s);
        w.receive("before ");
        w->btnSave->click();
        QCOMPARE(w.saveCaptions(), u"Close File | Close File"_s);
        QCOMPARE(w.panel(u"Status"_s), u"Input: Receiving"_s);
        w.receive("AB\r\nC");
        QCOMPARE(w.panel(u"Status"_s), u"Input: Saving to file"_s);
        w.receive(QByteArray("\0\x80\xE9\n\r", 5));
        w->btnSave->click();
        QCOMPARE(w.saveCaptions(), u"Save To File | Save To File"_s);
        const QByteArray firstRun("AB\r\nC\0\x80\xE9\r\n\r\n\r\n", 14);
        QCOMPARE(fileContents(path), firstRun);
        w.receive("while off ");
        QCOMPARE(w.panel(u"Status"_s), u"Input: Receiving"_s);
        QVERIFY(w.showActive()); // a second run, appended, by the File menu item's shortcut
        QTest::keyClick(w->txtTerm, Qt::Key_S, Qt::ControlModifier);
        w.receive("D");
        QTest::keyClick(w->txtTerm, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(fileContents(path), firstRun + "D\r\n\r\n");
        QVERIFY(w.prompter.messages.isEmpty());
    }

    // A full disk (a file size limit, its signal ignored): capture stops at the failed write
    // with the file holding what reached it, says so once after the event, and the pane shows
    // everything; the next run starts on a line of its own.
    void captureOnAFullDisk()
    {
        OpenFakeWindow w;
        const QString path = w.captureTo(u"full.txt"_s);
        struct rlimit old {};
        getrlimit(RLIMIT_FSIZE, &old);
        const auto limit = [&](rlim_t bytes) {
            struct rlimit to = old;
            to.rlim_cur = bytes;
            setrlimit(RLIMIT_FSIZE, &to);
        };
        const auto restore = qScopeGuard([&] { setrlimit(RLIMIT_FSIZE, &old); });
        const auto sigxfsz = std::signal(SIGXFSZ, SIG_IGN);
        const auto restoreSignal = qScopeGuard([&] { std::signal(SIGXFSZ, sigxfsz); });
        limit(20);
        w->btnSave->click();
        w.receive("LINE-1\rLINE-2\r");
        QCOMPARE(w.panel(u"Status"_s), u"Input: Saving to file"_s);
        w.receive("LINE-3\r"); // 4 of its 8 bytes fit
        QVERIFY(w.prompter.messages.isEmpty()); // not inside the event
        QCOMPARE(w.panel(u"Status"_s), u"Input: Receiving"_s);
        QCOMPARE(w.saveCaptions(), u"Save To File | Save To File"_s);
        QTRY_COMPARE(w.prompter.messages.size(), 1);
        QCOMPARE(w.onlyMessage(),
                 TestWindow::message(48, u"File Error!"_s,
                                     u"An error has occurred while writing to the file: "_s +
                                         path + u"\r\nCapture has been switched off."_s));
        limit(RLIM_INFINITY);
        w.receive("LINE-4\r");
        QCOMPARE(w->txtTerm->Text(), u"LINE-1\r\nLINE-2\r\nLINE-3\r\nLINE-4\r\n"_s);
        QCOMPARE(w.panel(u"Status"_s), u"Input: Receiving"_s);
        QCOMPARE(fileContents(path), "LINE-1\r\nLINE-2\r\nLINE");
        // Switched on again with room for one line: the cut line ends first; the trailer then
        // does not fit, so switch-off fails and capture stays on until it does.
        limit(20 + 2 + 8);
        w->btnSave->click();
        w.receive("LINE-5\r");
        w->btnSave->click();
        QCOMPARE(w.prompter.messages.last().text,
                 u"An error has occurred while trying to open the file: "_s + path);
        QCOMPARE(w.saveCaptions(), u"Close File | Close File"_s);
        limit(RLIM_INFINITY);
        w->btnSave->click();
        QCOMPARE(w.saveCaptions(), u"Save To File | Save To File"_s);
        QCOMPARE(fileContents(path), "LINE-1\r\nLINE-2\r\nLINE\r\nLINE-5\r\n\r\n\r\n");
        QCOMPARE(w.prompter.messages.size(), 2);
        // A failed read shows nothing and stops nothing.
        w.fake->failReadWith = Err::ReadFailed;
        w.receive("lost");
        QVERIFY(w->txtTerm->Text().endsWith(u"LINE-5\r\n"_s));
    }

    // Capture appends at the end, whoever else wrote or emptied the file.
    void captureAppendsAfterTruncation()
    {
        OpenFakeWindow w;
        const QString path = w.captureTo(u"cap.txt"_s);
        w->btnSave->click();
        w.receive("A\rB\r");
        QVERIFY(QFile::resize(path, 0)); // as rotation by copy and truncate does
        w.receive("C\r");
        QCOMPARE(fileContents(path), "C\r\n");
    }

    // Switch-on refused with the file error, capture left off and nothing created: the no-name
    // marker, a FIFO (never offered as a free name, refused at once instead of waiting for a
    // reader) and a file that another instance captures into.
    void captureOpenFailures_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("the no-name marker") << u"????"_s;
        QTest::newRow("a FIFO") << u"fifo"_s;
        QTest::newRow("another instance's file") << u"held"_s;
    }
    void captureOpenFailures()
    {
        QFETCH(QString, target);
        OpenFakeWindow w;
        const QString path = w.captureTo(target == u"????" ? target : u"Text1.txt"_s);
        std::unique_ptr<Holder> other;
        if (target == u"held") {
            other = std::make_unique<Holder>(QStringList{u"capture"_s, path});
            QVERIFY(other->held);
        } else if (target == u"fifo") {
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
            w->GenerateFileName(u"Text"_s);
            QCOMPARE(Globals::strFileName, u"Text2.txt"_s);
            Globals::strFileName = u"Text1.txt"_s;
        }
        // Should the open wait for a reader, this one comes after 3 s and the time shows it.
        std::atomic<bool> done = false;
        std::thread reader([&] {
            for (int i = 0; i < 300 && !done; ++i)
                QThread::msleep(10);
            if (!done)
                ::close(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK));
        });
        QElapsedTimer clock;
        clock.start();
        w->btnSave->click();
        const qint64 ms = clock.elapsed();
        done = true;
        reader.join();
        QVERIFY2(ms < 1000, qPrintable(u"switch-on took %1 ms"_s.arg(ms)));
        QCOMPARE(w.onlyMessage(),
                 TestWindow::message(48, u"File Error!"_s,
                                     u"An error has occurred while trying to open the file: "_s +
                                         path));
        QCOMPARE(w->btnSave->text(), u"Save To File"_s);
        QVERIFY(!Globals::blnSaving);
        if (target == u"????")
            QVERIFY(QDir(w.files.path()).isEmpty());
    }

    // On a real line that has been streaming: the two spaces leave 1000 ms after the banner is
    // sent, then 250 ms apart.
    void handshakeSpacesOnTheWire()
    {
        PtyWindow w;
        w->optStatus->setValue(0, true);
        w.unit->send("before\r\n"); // read, and the line held until the pane's pass
        QTRY_COMPARE(w->txtTerm->Text(), u"before\r\n"_s);
        w->chkCommand->click();
        std::atomic<qint64> first = -1, gap = -1;
        std::atomic<bool> done = false;
        std::thread unit([&] { // the unit's clock, which the window's waits do not stop
            QElapsedTimer clock;
            clock.start();
            w.unit->send(kBanner);
            if (w.unit->receive(1, 3000) == " ")
                first = clock.restart();
            if (w.unit->receive(1, 3000) == " ")
                gap = clock.elapsed();
            done = true;
        });
        QTRY_VERIFY_WITH_TIMEOUT(done, 10000);
        unit.join();
        QVERIFY2(first >= 1000 && first <= 1050 && gap >= 230 && gap <= 270,
                 qPrintable(u"first space %1 ms, second %2 ms later"_s.arg(first).arg(gap)));
    }

    void handshakeStatesAndOrder()
    {
        OpenFakeWindow w;
        // What the operator sees: the instruction, its colour, and the check box.
        const auto shown = [&] {
            return u"%1 | %2 | %3 %4"_s.arg(w->lblInfo->Caption())
                .arg(w->lblInfo->BackColor() == OleColor::Yellow ? "yellow" : "plain")
                .arg(w->chkCommand->isEnabled() ? "enabled" : "disabled")
                .arg(w->chkCommand->Value());
        };
        // Alt+C: the focus stays on the pane, where the unit is followed, and never rests on the
        // check box, which a screen reader would read as still unchecked; Alt alone is no menu key.
        QVERIFY(w.showActive());
        w->txtTerm->setFocus();
        QSignalSpy focusMoves(qApp, &QApplication::focusChanged);
        QTest::keyClick(w->txtTerm, Qt::Key_C, Qt::AltModifier);
        QTest::keyClick(w->txtTerm, Qt::Key_Alt, Qt::AltModifier);
        QCOMPARE(focusMoves.count(), 0);
        QCOMPARE(shown(), u"Cycle power on the Brenix unit. | yellow | disabled 1"_s);

        w.receive("brenix industries, inc.\r\n"); // lower case: only shown
        QVERIFY(w.fake->written.isEmpty());
        int paneWhenSent = -1;
        w.fake->onWrite = [&](const QByteArray&) { paneWhenSent = w->txtTerm->Length(); };
        const int before = w->txtTerm->Length();
        w.receive(kBanner);
        QCOMPARE(w.fake->written, QByteArray("  "));
        QCOMPARE(paneWhenSent, before); // the banner is shown only after the answer
        QCOMPARE(shown(), u"Please wait for unit to initialize. | yellow | disabled 1"_s);
        QVERIFY(w->tmrFlow->Enabled());

        // Keys are not sent while the handshake is under way.
        w->txtTerm->setFocus();
        w->KeyPreview = true;
        QTest::keyClick(w->txtTerm, Qt::Key_A);
        QCOMPARE(w.fake->written, QByteArray("  "));

        for (int i = 0; i < 10; ++i)
            w.receive("STATUS 01\r\n");
        QVERIFY(Globals::blnCommandPending); // settled, but within the flow period
        w->tmrFlow_Timer();
        QVERIFY(Globals::blnCommandPending); // the tick alone completes nothing
        w.receive("STATUS 02\r\n");
        QVERIFY(!Globals::blnCommandPending);
        QCOMPARE(w->lblInfo->BackColor(), OleColor::ButtonFace);
        QCOMPARE(shown(), u" | plain | enabled 0"_s);
        QVERIFY(!w->tmrFlow->Enabled());
        // A second handshake answers its own banner, and a repeated banner again.
        w->chkCommand->click();
        w.receive(kBanner);
        w.receive(kBanner);
        QCOMPARE(w.fake->written, QByteArray(6, ' '));
    }
};

QTEST_MAIN(TestTerminal)
#include "tst_terminal.moc"
