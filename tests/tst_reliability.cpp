// Long and rough runs: a minute of random bytes captured, and fifty unplugs during capture.

#include "TestWindow.h"

#include <QCryptographicHash>
#include <QRandomGenerator>

#include <atomic>

class TestReliability : public QObject {
    Q_OBJECT
private slots:
    // Random bytes at a high rate for a minute (BRENIX_SOAK_SECONDS), capture on: the file is
    // exactly what the capture rule makes of them, and memory stays bounded.
    void randomBytesCaptured()
    {
        const int seconds = qEnvironmentVariable("BRENIX_SOAK_SECONDS", u"60"_s).toInt();
        PtyWindow w;
        const QString path = w.captureTo(u"soak.txt"_s);
        w->optStatus->setValue(0, true);
        w->btnSave->click();

        // Only a digest of what was sent is kept, so that the test's own memory stays flat.
        QCryptographicHash expected(QCryptographicHash::Sha256);
        qint64 expectedSize = 0, sentSize = 0;
        std::atomic<bool> done = false;
        std::thread writer([&] {
            QRandomGenerator random(20261207);
            QElapsedTimer clock;
            clock.start();
            while (clock.elapsed() < seconds * 1000) {
                QByteArray chunk(int(random.bounded(1, 2048)), Qt::Uninitialized);
                for (char& c : chunk)
                    c = char(random.bounded(256));
                w.unit->send(chunk);
                const QByteArray kept = captured(chunk); // the rule needs no context
                expected.addData(kept);
                expectedSize += kept.size();
                sentSize += chunk.size();
                std::this_thread::sleep_for(std::chrono::milliseconds(random.bounded(3)));
            }
            done = true;
        });
        long early = 0, peak = 0;
        QElapsedTimer clock;
        clock.start();
        while (!done) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            const long rss = residentKiB();
            if (early == 0 && clock.elapsed() > std::min(5000, seconds * 500))
                early = rss;
            peak = std::max(peak, rss);
        }
        writer.join();
        QTRY_COMPARE_WITH_TIMEOUT(QFileInfo(path).size(), expectedSize, 20000);
        QCOMPARE(QCryptographicHash::hash(fileContents(path), QCryptographicHash::Sha256).toHex(),
                 expected.result().toHex());
        qInfo("%lld bytes in %d s; resident %ld KiB once settled, %ld KiB at most", sentSize,
              seconds, early, peak);
#ifndef __SANITIZE_ADDRESS__ // AddressSanitizer holds freed memory back on purpose
        QVERIFY2(peak - early < 20 * 1024, "memory grew by more than 20 MiB");
#endif
    }

    // Fifty unplugs while capturing: one message each, with the port shown closed; nothing of
    // what arrived before each loss is lost; no work goes on afterwards.
    void fiftyUnplugs()
    {
        PtyWindow w(3);
        const QString path = w.captureTo(u"unplugs.txt"_s);
        w->btnSave->click();
        QByteArray expected;
        for (int i = 0; i < 50; ++i) {
            w->optStatus->setValue(0, true);
            QVERIFY(w->MSComm1->PortOpen());
            const QByteArray line = "before unplug " + QByteArray::number(i) + "\r\n";
            w.unit->send(line);
            expected += line;
            QTRY_VERIFY_WITH_TIMEOUT(w->txtTerm->Text().endsWith(QString::fromLatin1(line)), 5000);
            w.unit = std::make_unique<PtyUnit>(); // unplugged; the next device, on the same port
            QTRY_COMPARE_WITH_TIMEOUT(w.prompter.messages.size(), i + 1, 5000);
            QFile::remove(w.ports.path() + u"/com3"_s);
            w.ports.link(3, w.unit->slavePath());
        }
        QCOMPARE(w.prompter.messages.first().text,
                 u"An error has occurred while reading comm port 3.\r\n"
                 "Please select a different port or correct the port error."_s);
        QCOMPARE(w.prompter.statesAtMessages, QStringList(50, kClosedState));
        QCOMPARE(fileContents(path), expected);
        const double cpu = cpuSeconds();
        QTest::qWait(1000);
        QVERIFY2(cpuSeconds() - cpu < 0.3, qPrintable(QString::number(cpuSeconds() - cpu)));
        QCOMPARE(w.prompter.messages.size(), 50);
    }
};

QTEST_MAIN(TestReliability)
#include "tst_reliability.moc"
