// The operator's whole story, end to end: the real start-up path, the real serial device, the
// real file system, and the unit simulator as a separate process on port 16.

#include "FileExistsAnswers.h"
#include "PtyUnit.h"
#include "TestSupport.h"
#include "TestWindow.h"

#include <QAction>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {
// The simulator on port 16 of a port folder, logging every byte it sends.
class Simulator {
public:
    Simulator(const QString& folder, const QString& log)
    {
        m_process.start(QStringLiteral(BRENIX_UNIT_PATH),
                        {folder + QStringLiteral("/com16"), QStringLiteral("--interval"),
                         QStringLiteral("150"), QStringLiteral("--log"), log});
        m_process.waitForReadyRead(5000);
    }
    ~Simulator()
    {
        m_process.terminate();
        m_process.waitForFinished(3000);
    }
    QString console()
    {
        m_process.waitForReadyRead(1);
        m_said += QString::fromLocal8Bit(m_process.readAllStandardOutput());
        return m_said;
    }
    void signal(int number) { ::kill(pid_t(m_process.processId()), number); }

private:
    QProcess m_process;
    QString m_said;
};

} // namespace

class TestStory : public QObject {
    Q_OBJECT
private slots:
    void operatorsStory()
    {
        QElapsedTimer story;
        story.start();
        QTemporaryDir files;
        const QString log = files.filePath(QStringLiteral("sent.bin"));
        PortDir ports;
        Simulator unit(ports.path(), log);
        TestWindow w(TestWindow::Real);
        w->Load();
        w->show();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.window.get()));
        QCOMPARE(w->cmbComm->ListCount(), 1);
        QCOMPARE(w->cmbComm->List(0), QStringLiteral("16"));
        QVERIFY(!unit.console().contains(QLatin1String("powered on"))); // the probe was brief

        // Open port 16: the unit powers on and its start-up lines appear.
        w->optStatus->setValue(0, true);
        QTRY_VERIFY_WITH_TIMEOUT(w->txtTerm->Text().contains(QLatin1String("Self test")), 5000);

        // Capture on, type, and see the echo.
        Globals::strSavePath = files.path() + u'/';
        Globals::strFileName = QStringLiteral("story.txt");
        w->btnSave->click();
        QCOMPARE(w->btnSave->text(), QStringLiteral("Close File"));
        w->txtTerm->setFocus();
        QCOMPARE(w->focusWidget(), w->txtTerm);
        QTest::keyClicks(w->txtTerm, QStringLiteral("hi"));
        // The echo may come between the unit's own lines: look at the pane without them.
        const auto echoed = [&] {
            return w->txtTerm->Text()
                .remove(QRegularExpression(QStringLiteral("READING [^\r]*\r\n")))
                .contains(QLatin1String("hi"));
        };
        QTRY_VERIFY_WITH_TIMEOUT(echoed(), 5000);

        // The handshake, with the unit powered on by SIGUSR1.
        w->chkCommand->click();
        QVERIFY(!w->chkCommand->isEnabled());
        unit.signal(SIGUSR1);
        QTRY_VERIFY_WITH_TIMEOUT(unit.console().contains(QLatin1String("command access granted")),
                                 5000);
        QCOMPARE(w->lblInfo->Caption(), QStringLiteral("Please wait for unit to initialize."));
        QTRY_VERIFY_WITH_TIMEOUT(w->chkCommand->isEnabled(), 20000);
        QCOMPARE(w->chkCommand->Value(), 0);
        QCOMPARE(w->lblInfo->Caption(), QString());
        QVERIFY(w->txtTerm->Text().contains(QLatin1String("STATUS")));

        // A new target and back (it exists now: append), capture off, and exit.
        const QString other = files.filePath(QStringLiteral("other.txt"));
        w.prompter.saveAnswers << other;
        w->mnuChangeSave->trigger();
        QCOMPARE(w->lblFile->Caption(), QStringLiteral("other.txt"));
        int arrivedDuringDialog = 0;
        {
            FileExistsAnswers append({QStringLiteral("btnAppend")});
            append.onShown = [&] { // the unit's lines keep coming while the dialog is up
                const int before = w->txtTerm->Length();
                QTest::qWait(500);
                arrivedDuringDialog = w->txtTerm->Length() - before;
            };
            w.prompter.saveAnswers << files.filePath(QStringLiteral("story.txt"));
            w->btnChange->click();
        }
        QVERIFY(arrivedDuringDialog > 0);
        QCOMPARE(w->lblFile->Caption(), QStringLiteral("story.txt"));
        w->btnSave->click();
        QCOMPARE(w->btnSave->text(), QStringLiteral("Save To File"));
        w->mnuExit->trigger();
        QVERIFY(!w->MSComm1->PortOpen());
        QTRY_VERIFY_WITH_TIMEOUT(unit.console().contains(QLatin1String("terminal closed")), 3000);

        // The capture file holds exactly what the unit sent meanwhile, then the trailer.
        const QByteArray file = fileContents(files.filePath(QStringLiteral("story.txt")));
        QVERIFY(file.endsWith("\r\n\r\n"));
        const QByteArray body = file.chopped(4);
        QVERIFY(QString::fromLatin1(body)
                    .remove(QRegularExpression(QStringLiteral("READING [^\r]*\r\n")))
                    .contains(QLatin1String("hi")) &&
                body.contains("BRENIX INDUSTRIES, INC.") && body.contains("STATUS"));
        QVERIFY2(captured(fileContents(log)).contains(body), "not a stretch of what was sent");
        QVERIFY(!QFile::exists(other));
        qInfo("the whole story took %.1f s", double(story.elapsed()) / 1000);
    }

    // The built program, started as a user would, comes up and ends cleanly when closed.
    void programStartsAndEnds()
    {
        QTemporaryDir home, files;
        PortDir ports;
        Simulator unit(ports.path(), files.filePath(QStringLiteral("sent.bin")));
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(BRENIX_TERMINAL_PATH));
        QVERIFY(program.waitForStarted(5000));
        QTest::qWait(1500); // up, and staying up
        QCOMPARE(program.state(), QProcess::Running);
        program.terminate(); // closes the window
        QVERIFY(program.waitForFinished(5000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }
};

QTEST_MAIN(TestStory)
#include "tst_story.moc"
