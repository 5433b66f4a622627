#include "TestWindow.h"
#include "capture/FileName.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
void touch(const QString& path)
{
    QFile(path).open(QIODevice::WriteOnly);
}
} // namespace

class TestFileName : public QObject {
    Q_OBJECT
private slots:
    void firstFreeName_data()
    {
        QTest::addColumn<QString>("base");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QStringList>("folders");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << "Text" << QStringList{} << QStringList{} << "Text1.txt";
        QTest::newRow("gap after two")
            << "Text" << QStringList{"Text1.txt", "Text2.txt"} << QStringList{} << "Text3.txt";
        QTest::newRow("gap filled first")
            << "Text" << QStringList{"Text2.txt"} << QStringList{} << "Text1.txt";
        QTest::newRow("Text.txt ignored")
            << "Text" << QStringList{"Text.txt"} << QStringList{} << "Text1.txt";
        QTest::newRow("folder is no file")
            << "Text" << QStringList{} << QStringList{"Text1.txt"} << "Text1.txt";
        QTest::newRow("base taken")
            << "data" << QStringList{"data.txt"} << QStringList{} << "data1.txt";
        QStringList nine;
        for (int i = 1; i <= 9; ++i)
            nine << QStringLiteral("Text%1.txt").arg(i);
        QTest::newRow("no padding") << "Text" << nine << QStringList{} << "Text10.txt";
    }
    void firstFreeName()
    {
        QFETCH(QString, base);
        QFETCH(QStringList, files);
        QFETCH(QStringList, folders);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        for (const QString& f : files)
            touch(dir.filePath(f));
        for (const QString& f : folders)
            QDir(dir.path()).mkdir(f);
        TestWindow w;
        Globals::strSavePath = dir.path() + u'/';
        w->GenerateFileName(base);
        QCOMPARE(Globals::strFileName, expected);
        QCOMPARE(w->lblFile->Caption(), expected);
        QCOMPARE(w->lblFile->ToolTipText(), expected);
        QVERIFY(w.prompter.messages.isEmpty());
        QVERIFY(!QFile::exists(dir.filePath(expected)) || folders.contains(expected));
    }

    void everyNameTaken()
    {
        QTemporaryDir dir;
        for (const QString& name : fileNameCandidates(QStringLiteral("Text")))
            touch(dir.filePath(name));
        TestWindow w;
        Globals::strSavePath = dir.path() + u'/';
        QString captionDuringMessage;
        w.prompter.onMessage = [&](const MessageBoxCall&) {
            captionDuringMessage = w->lblFile->Caption();
        };
        w->GenerateFileName(QStringLiteral("Text"));
        QCOMPARE(
            w.onlyMessage(),
            TestWindow::message(16, QStringLiteral("Cannot create a log file!"),
                                QStringLiteral("There has been an error while attempting to "
                                               "automatically generate a text file for saving.\r\n"
                                               "Please press the 'Change' button to change the "
                                               "filename")));
        QCOMPARE(captionDuringMessage, QStringLiteral("Text1.txt")); // the marker comes after
        QCOMPARE(w->lblFile->Caption(), QStringLiteral("????"));
        QCOMPARE(w->lblFile->ToolTipText(), QStringLiteral("????"));
        QCOMPARE(Globals::strFileName, QStringLiteral("????"));
    }
};

QTEST_MAIN(TestFileName)
#include "tst_filename.moc"
