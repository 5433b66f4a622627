#include "TestSupport.h"
#include "capture/CaptureFile.h"
#include "port/SerialDevice.h"
#include "ui/runtime/CodePage.h"
#include "ui/runtime/CommonDialog.h"
#include "ui/runtime/Prompter.h"
#include "ui/runtime/RuntimeError.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

class TestRuntime : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { CaptureFile::closeAll(); }

    void codePageRoundTripsEveryByte()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = CodePage::toString(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(CodePage::toBytes(text), all);
        QCOMPARE(CodePage::toChar(0x80), QChar(0x20AC));
        QCOMPARE(CodePage::toChar(0xE9), QChar(0xE9));
        QCOMPARE(CodePage::toByte(QChar(0x4E00)), -1);
        QCOMPARE(CodePage::toBytes(QString(QChar(0x4E00))), QByteArray("?"));
    }

    void captureFileAppendsWithoutTruncating()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("log.txt"));
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("abc");
        }
        CaptureFile& file = CaptureFile::number1();
        file.open(path);
        QCOMPARE(file.length(), 3);
        file.seek(file.length() + 1);
        file.write(QStringLiteral("d\r\n") + CodePage::toChar(0x80) + QChar(0));
        // Written through at once: visible before the file is closed.
        QCOMPARE(fileContents(path), QByteArray("abcd\r\n\x80\0", 8));
        CaptureFile::closeAll();
        QVERIFY(!file.isOpen());
    }

    void captureFileFailures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("error");
        QTest::newRow("no-name marker") << "????" << Err::BadFileName;
        QTest::newRow("missing folder") << "missing/log.txt" << Err::PathNotFound;
        QTest::newRow("folder") << "." << Err::PathFileAccess;
    }
    void captureFileFailures()
    {
        QFETCH(QString, name);
        QFETCH(int, error);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QCOMPARE(errorOf([&] { CaptureFile::number1().open(path); }), error);
        QVERIFY(!CaptureFile::number1().isOpen());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("????"))));
    }

    void fullDiskIsReported()
    {
        if (!QFile::exists(QStringLiteral("/dev/full")))
            QSKIP("no /dev/full here");
        CaptureFile& file = CaptureFile::number1();
        file.open(QStringLiteral("/dev/full"));
        QCOMPARE(errorOf([&] { file.write(QStringLiteral("x")); }), Err::DiskFull);
    }

    void deleting()
    {
        QTemporaryDir dir;
        const QString open = dir.filePath(QStringLiteral("open.txt"));
        const QString other = dir.filePath(QStringLiteral("other.txt"));
        QFile(other).open(QIODevice::WriteOnly);
        CaptureFile::number1().open(open);
        QCOMPARE(errorOf([&] { CaptureFile::kill(open); }), Err::PermissionDenied);
        QVERIFY(QFile::exists(open));
        QCOMPARE(errorOf([&] { CaptureFile::kill(other); }), 0);
        QVERIFY(!QFile::exists(other));
        QCOMPARE(errorOf([&] { CaptureFile::kill(other); }), Err::FileNotFound);
        QVERIFY(CaptureFile::exists(open));
        QVERIFY(!CaptureFile::exists(dir.path()));
        QVERIFY(!CaptureFile::exists(other));
    }

    void errnoMapping_data()
    {
        QTest::addColumn<int>("err");
        QTest::addColumn<int>("missing");
        QTest::addColumn<int>("expected");
        QTest::newRow("no folder") << ENOENT << Err::PathNotFound << Err::PathNotFound;
        QTest::newRow("no file") << ENOENT << Err::FileNotFound << Err::FileNotFound;
        QTest::newRow("not a folder") << ENOTDIR << Err::FileNotFound << Err::PathNotFound;
        QTest::newRow("access") << EACCES << Err::PathNotFound << Err::PermissionDenied;
        QTest::newRow("read-only fs") << EROFS << Err::PathNotFound << Err::PermissionDenied;
        QTest::newRow("disk full") << ENOSPC << Err::PathNotFound << Err::DiskFull;
        QTest::newRow("quota") << EDQUOT << Err::PathNotFound << Err::DiskFull;
        QTest::newRow("long name") << ENAMETOOLONG << Err::PathNotFound << Err::BadFileName;
        QTest::newRow("other") << EIO << Err::PathNotFound << Err::PathFileAccess;
    }
    void errnoMapping()
    {
        QFETCH(int, err);
        QFETCH(int, missing);
        QFETCH(int, expected);
        QCOMPARE(fileErrorFromErrno(err, missing), expected);
    }

    void saveDialogThroughPrompter()
    {
        RecordingPrompter rec;
        setPrompter(&rec);
        CommonDialog cd;
        cd.CancelError = true;
        cd.DialogTitle = QStringLiteral("Save File As");
        cd.FileName = QStringLiteral("/tmp/Text1.txt");
        QCOMPARE(errorOf([&] { cd.ShowSave(); }), Err::DialogCancelled);
        QCOMPARE(cd.FileName, QStringLiteral("/tmp/Text1.txt"));
        rec.saveAnswers.append(QStringLiteral("/data/run.txt"));
        cd.ShowSave();
        QCOMPARE(cd.FileName, QStringLiteral("/data/run.txt"));
        QCOMPARE(cd.FileTitle, QStringLiteral("run.txt"));
        QCOMPARE(rec.saveRequests.size(), 2);
        QCOMPARE(rec.saveRequests[0].title, QStringLiteral("Save File As"));
        cd.CancelError = false;
        QCOMPARE(errorOf([&] { cd.ShowSave(); }), 0);
        setPrompter(nullptr);
    }

    void parsesSettings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("baud");
        QTest::newRow("9600") << "9600,n,8,1" << 9600;
        QTest::newRow("38400") << "38400,n,8,1" << 38400;
        QTest::newRow("k not converted") << "38.4k,n,8,1" << -1;
        QTest::newRow("missing field") << "9600,n,8" << -1;
        QTest::newRow("bad parity") << "9600,x,8,1" << -1;
    }
    void parsesSettings()
    {
        QFETCH(QString, text);
        QFETCH(int, baud);
        int got = -1;
        const int error = errorOf([&] { got = parseSettings(text).baud; });
        QCOMPARE(got, baud);
        QCOMPARE(error, baud < 0 ? Err::InvalidArgument : 0);
        if (baud > 0)
            QCOMPARE(settingsText(parseSettings(text)), text);
    }
};

QTEST_GUILESS_MAIN(TestRuntime)
#include "tst_runtime.moc"
