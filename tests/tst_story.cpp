// The operator's whole story, end to end: the real start-up path, the real serial device, the
// real file system, and the unit simulator as a separate process on port 16.

#include "FileExistsAnswers.h"
#include "TestWindow.h"

#include <QRegularExpression>

#include <csignal>

namespace {
// The unit simulator as a separate process on port 16 of a port folder, with what it says on
// its console.
class Simulator {
public:
    Simulator(const QStringList& options, const QString& folder)
    {
        m_process.start(QStringLiteral(BRENIX_UNIT_PATH),
                        QStringList{folder + QStringLiteral("/com16")} + options);
        m_process.waitForReadyRead(5000);
    }
    ~Simulator()
    {
        m_process.terminate();
        m_process.waitForFinished(3000);
    }
    // Everything the simulator said on its console so far.
    QString console()
    {
        m_process.waitForReadyRead(10);
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
        PortDir ports;
        TestWindow w(TestWindow::Real);
        const QString log = w.files.filePath(u"sent.bin"_s);
        Simulator unit({u"--interval"_s, u"150"_s, u"--log"_s, log}, ports.path());
        w->Load();
        QVERIFY(w.showActive());
        QCOMPARE(w->cmbComm->ListCount(), 1);
        QVERIFY(!unit.console().contains("powered on"_L1)); // the probe was brief

        // Open port 16: the unit powers on and its start-up lines appear.
        w->optStatus->setValue(0, true);
        QTRY_VERIFY_WITH_TIMEOUT(w->txtTerm->Text().contains("Self test"_L1), 5000);

        // Capture on, type, and see the echo.
        const QString story = w.captureTo(u"story.txt"_s);
        w->btnSave->click();
        w->txtTerm->setFocus();
        QTest::keyClicks(w->txtTerm, u"hi"_s);
        // The echo may come between the unit's own lines: look for it without them.
        const auto echoed = [](QString text) {
            return text.remove(QRegularExpression(u"READING [^\r]*\r\n"_s)).contains("hi"_L1);
        };
        QTRY_VERIFY_WITH_TIMEOUT(echoed(w->txtTerm->Text()), 5000);

        // The handshake, with the unit powered on by SIGUSR1.
        w->chkCommand->click();
        unit.signal(SIGUSR1);
        QTRY_VERIFY_WITH_TIMEOUT(unit.console().contains("command access granted"_L1), 5000);
        // The two spaces leave 1000 ms after the banner line arrives, and 250 ms apart.
        const auto times = QRegularExpression(u"first space (\\d+) ms .* second (\\d+) ms"_s)
                               .match(unit.console());
        const int first = times.captured(1).toInt(), gap = times.captured(2).toInt();
        QVERIFY2(first >= 1000 && first <= 1050 && gap >= 230 && gap <= 270,
                 qPrintable(times.captured()));
        QTRY_VERIFY_WITH_TIMEOUT(w->chkCommand->isEnabled(), 20000);
        QVERIFY(w->txtTerm->Text().contains("STATUS"_L1));

        // The capture file chosen again (it exists: append), capture off, and exit.
        int arrivedDuringDialog = 0;
        {
            FileExistsAnswers append({u"btnAppend"_s});
            append.onShown = [&] { // the unit's lines keep coming while the dialog is up
                const int before = w->txtTerm->Length();
                QTest::qWait(500);
                arrivedDuringDialog = w->txtTerm->Length() - before;
            };
            w.prompter.saveAnswers << story;
            w->btnChange->click();
        }
        QVERIFY(arrivedDuringDialog > 0);
        QCOMPARE(w->lblFile->Caption(), u"story.txt"_s);
        w->btnSave->click();
        w->mnuExit->trigger();
        QVERIFY(!w->MSComm1->PortOpen());
        QTRY_VERIFY_WITH_TIMEOUT(unit.console().contains("terminal closed"_L1), 3000);

        // The capture file holds exactly what the unit sent meanwhile, then the trailer.
        const QByteArray file = fileContents(story);
        QVERIFY(file.endsWith("\r\n\r\n"));
        const QByteArray body = file.chopped(4);
        QVERIFY(echoed(QString::fromLatin1(body)) && body.contains("BRENIX INDUSTRIES, INC.") &&
                body.contains("STATUS"));
        const QByteArray sent = fileContents(log).replace('\n', "").replace('\r', "\r\n");
        QVERIFY2(sent.contains(body), "not a stretch of what was sent (LF dropped, CR as CR LF)");
    }
};

QTEST_MAIN(TestStory)
#include "tst_story.moc"
