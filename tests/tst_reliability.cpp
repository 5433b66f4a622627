// A long, rough run: a minute of random bytes captured. (Repeated unplugs during capture are the
// monkey's.)

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
};

QTEST_MAIN(TestReliability)
#include "tst_reliability.moc"
