#include "TestSupport.h"
#include "capture/CaptureFile.h"
#include "runtime/CodePage.h"
#include "runtime/RuntimeError.h"

#include <QSet>

class TestRuntime : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { CaptureFile::closeAll(); }

    // The log names every error the program raises, each differently.
    void errorNames()
    {
        QSet<QString> names;
        for (int number : {Err::InvalidArgument, Err::BadFileName, Err::FileNotFound, Err::DiskFull,
                           Err::PermissionDenied, Err::PathFileAccess, Err::PathNotFound,
                           Err::NoSuchPort, Err::PortBusy, Err::ApplyStateFailed, Err::PortNotOpen,
                           Err::ReadFailed, Err::DialogCancelled})
            names.insert(QString::fromLatin1(errorName(number)));
        QCOMPARE(names.size(), 13);
        QVERIFY(!names.contains(QString()));
    }

    void codePageRoundTripsEveryByte()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        const QString text = CodePage::toString(all);
        QCOMPARE(text.size(), 256);
        QCOMPARE(CodePage::toBytes(text), all);
        QCOMPARE(CodePage::toChar(0x80), QChar(0x20AC));
        QCOMPARE(CodePage::toByte(QChar(0x4E00)), -1);
        QCOMPARE(CodePage::toBytes(QString(QChar(0x4E00))), QByteArray("?"));
    }

    void captureFileAppendsWithoutTruncating()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"log.txt"_s);
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("abc");
        }
        CaptureFile& file = CaptureFile::number1();
        file.open(path);
        QCOMPARE(file.length(), 3);
        file.seek(file.length() + 1);
        file.write(u"d\r\n"_s + CodePage::toChar(0x80) + QChar(0));
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
        QVERIFY(!QFile::exists(dir.filePath(u"????"_s)));
    }

    void deleting()
    {
        QTemporaryDir dir;
        const QString open = dir.filePath(u"open.txt"_s);
        const QString other = dir.filePath(u"other.txt"_s);
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
};

QTEST_GUILESS_MAIN(TestRuntime)
#include "tst_runtime.moc"
