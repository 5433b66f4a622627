#include "FileExistsAnswers.h"
#include "TestWindow.h"
#include "capture/FileName.h"

#include <QFileDialog>
#include <QLineEdit>

namespace {
void touch(const QString& path, const QByteArray& content = QByteArray())
{
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(content);
}

// A window capturing into Text1.txt in its scratch folder, ready to change the save target.
struct TargetWindow : TestWindow {
    TargetWindow()
    {
        window->Load();
        window->cdSave.FileName = captureTo(u"Text1.txt"_s);
    }
    // Changes the target, choosing these paths in the save dialog one after another.
    void change(const QStringList& chosen, const QStringList& answers = {})
    {
        for (const QString& path : chosen)
            prompter.saveAnswers << path;
        FileExistsAnswers dialogs(answers);
        window->mnuChangeSave->trigger();
        shown = dialogs.shown;
    }
    QString target() const { return Globals::strSavePath + Globals::strFileName; }
    QStringList shown;
};

const QString kDialogShown =
    u"File Already Exists!|"
    "1. Press 'Add Numbers' to add a number to the end of the current file name.\r\n"
    "2. Press 'Append' to keep the existing file and add data to the end of it.\r\n"
    "3. Press 'Overwrite' to delete the existing file and make a new one.\r\n"
    "4. Press 'Cancel' to select a new file name.|"
    "Add Numbers|Append|Overwrite|Cancel"_s;
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
            nine << u"Text%1.txt"_s.arg(i);
        QTest::newRow("no padding") << "Text" << nine << QStringList{} << "Text10.txt";
        QStringList all98;
        for (int i = 1; i <= 98; ++i)
            all98 << u"Text%1.txt"_s.arg(i);
        QTest::newRow("the last number") << "Text" << all98 << QStringList{} << "Text99.txt";
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
        for (const QString& name : fileNameCandidates(u"Text"_s))
            touch(dir.filePath(name));
        TestWindow w;
        Globals::strSavePath = dir.path() + u'/';
        QString captionDuringMessage;
        w.prompter.onMessage = [&](const MessageBoxCall&) {
            captionDuringMessage = w->lblFile->Caption();
        };
        w->GenerateFileName(u"Text"_s);
        QCOMPARE(w.onlyMessage(),
                 TestWindow::message(16, u"Cannot create a log file!"_s,
                                     u"There has been an error while attempting to "
                                     "automatically generate a text file for saving.\r\n"
                                     "Please press the 'Change' button to change the "
                                     "filename"_s));
        QCOMPARE(captionDuringMessage, u"Text1.txt"_s); // the marker comes after
        QCOMPARE(w->lblFile->Caption(), u"????"_s);
        QCOMPARE(w->lblFile->ToolTipText(), u"????"_s);
        QCOMPARE(Globals::strFileName, u"????"_s);
    }

    void changeTargetToNewFile()
    {
        QTemporaryDir other;
        TargetWindow w;
        w.change({}); // cancelled at once: nothing changes
        QCOMPARE(w.target(), w.files.filePath(u"Text1.txt"_s));
        QCOMPARE(w->lblPath->Caption(), u"Desktop"_s);
        const QString chosen = other.filePath(u"data.txt"_s);
        w.change({chosen});
        const SaveDialogRequest& request = w.prompter.saveRequests.last();
        QCOMPARE(request.title, u"Save File As"_s);
        QCOMPARE(request.defaultExt, u".txt"_s);
        QCOMPARE(w->lblPath->Caption(), other.path());
        QCOMPARE(w->lblPath->ToolTipText(), other.path());
        QCOMPARE(w->lblFile->Caption(), u"data.txt"_s);
        QCOMPARE(w->lblFile->ToolTipText(), u"data.txt"_s);
        QVERIFY(QDir(other.path()).isEmpty()); // nothing on disk yet
        w.change({});                          // the next showing starts from the chosen file
        QCOMPARE(w.prompter.saveRequests.last().fileName, chosen);
        w->btnSave->click(); // capture goes to the chosen file
        w->btnSave->click();
        QCOMPARE(fileContents(chosen), QByteArray("\r\n\r\n"));
    }

    // The existing-file answers, each with what it leaves as target and on disk.
    void existingFile_data()
    {
        QTest::addColumn<QStringList>("existing"); // in the chosen folder
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QStringList>("answers");
        QTest::addColumn<QString>("target"); // in the chosen folder
        QTest::addColumn<QStringList>("remaining");
        QTest::newRow("append") << QStringList{"old.txt"} << "old.txt" << QStringList{"btnAppend"}
                                << "old.txt" << QStringList{"old.txt"};
        QTest::newRow("overwrite") << QStringList{"old.txt"} << "old.txt"
                                   << QStringList{"btnOverwrite"} << "old.txt" << QStringList{};
        QTest::newRow("add numbers, in the chosen folder")
            << QStringList{"data.txt", "data1.txt"} << "data.txt" << QStringList{"btnAdd"}
            << "data2.txt" << QStringList{"data.txt", "data1.txt"};
        QTest::newRow("add numbers to another extension")
            << QStringList{"log.csv"} << "log.csv" << QStringList{"btnAdd"} << "log.txt"
            << QStringList{"log.csv"};
        QTest::newRow("add numbers to a name without a full stop")
            << QStringList{"notes", "notes.txt"} << "notes" << QStringList{"btnAdd"} << "notes1.txt"
            << QStringList{"notes", "notes.txt"};
    }
    void existingFile()
    {
        QFETCH(QStringList, existing);
        QFETCH(QString, chosen);
        QFETCH(QStringList, answers);
        QFETCH(QString, target);
        QFETCH(QStringList, remaining);
        QTemporaryDir other;
        for (const QString& name : existing)
            touch(other.filePath(name), "old\r\n");
        TargetWindow w;
        w.change({other.filePath(chosen)}, answers);
        QCOMPARE(w.shown, QStringList{kDialogShown});
        QCOMPARE(w.target(), other.filePath(target));
        QCOMPARE(w->lblPath->Caption(), other.path());
        QCOMPARE(w->lblFile->Caption(), target);
        QDir folder(other.path());
        QCOMPARE(folder.entryList(QDir::Files, QDir::Name), [&] {
            QStringList sorted = remaining;
            sorted.sort();
            return sorted;
        }());
        w->btnSave->click();
        w->MSComm1->setPortOpen(true);
        w.fake->inject("new\r");
        w->btnSave->click();
        const QByteArray before = existing.contains(target) && remaining.contains(target)
                                      ? QByteArray("old\r\n")
                                      : QByteArray();
        QCOMPARE(fileContents(other.filePath(target)), before + "new\r\n\r\n\r\n");
        QVERIFY(w.prompter.messages.isEmpty());
    }

    // Cancel and the close box bring the save dialog back; nothing is deleted by them.
    void existingFileCancelled()
    {
        QTemporaryDir other;
        touch(other.filePath(u"a.txt"_s), "a");
        touch(other.filePath(u"b.txt"_s), "b");
        TargetWindow w;
        w.change({other.filePath(u"a.txt"_s), other.filePath(u"b.txt"_s)}, {"btnCancel", "close"});
        QCOMPARE(w.shown.size(), 2);
        QCOMPARE(w.prompter.saveRequests.size(), 3); // the third is cancelled
        QCOMPARE(w.prompter.saveRequests[1].fileName, other.filePath(u"a.txt"_s));
        QCOMPARE(Globals::intFileChoice, 4);
        QCOMPARE(w.target(), w.files.filePath(u"Text1.txt"_s));
        QCOMPARE(fileContents(other.filePath(u"b.txt"_s)), QByteArray("b"));
        // After an Overwrite, a showing closed with its close box still counts as Cancel.
        w.change({other.filePath(u"a.txt"_s)}, {"btnOverwrite"});
        w.change({other.filePath(u"b.txt"_s)}, {"close"});
        QCOMPARE(Globals::intFileChoice, 4);
        QVERIFY(QFile::exists(other.filePath(u"b.txt"_s)));
    }

    // Overwriting the file that capture is writing is refused; capture goes on into it.
    void overwriteOpenCaptureFile()
    {
        TargetWindow w;
        w->MSComm1->setPortOpen(true);
        w->btnSave->click();
        const QString capturing = w.target();
        w.fake->inject("one\r");
        w.change({capturing}, {"btnOverwrite"});
        QCOMPARE(w.onlyMessage(), TestWindow::message(16, u"Error!"_s,
                                                      u"An unexpected error has "
                                                      "occurred. Error 70"_s));
        QCOMPARE(w.target(), capturing);
        w.fake->inject("two\r");
        QCOMPARE(fileContents(capturing), QByteArray("one\r\ntwo\r\n"));
    }

    // Every numbered name taken: the save dialog comes back; cancelled, the folder stays.
    void addNumbersWithEveryNameTaken()
    {
        QTemporaryDir other;
        touch(other.filePath(u"x.txt"_s));
        for (int n = 1; n <= 99; ++n)
            touch(other.filePath(u"x%1.txt"_s.arg(n)));
        TargetWindow w;
        w.change({other.filePath(u"x.txt"_s)}, {"btnAdd"});
        QCOMPARE(w.prompter.saveRequests.size(), 2);
        QCOMPARE(w.prompter.messages.size(), 1);
        QCOMPARE(w.prompter.messages.first().title, u"Cannot create a log file!"_s);
        QCOMPARE(Globals::strSavePath, w.files.path() + u'/');
        QCOMPARE(Globals::strFileName, u"????"_s);
        QCOMPARE(w->lblFile->Caption(), u"????"_s);
    }

    // Qt's save dialog: a name typed without an extension gets ".txt"; a missing folder is
    // refused.
    void saveDialogAddsExtension()
    {
        QTemporaryDir dir;
        setPrompter(nullptr); // the real dialogs
        QString typed = dir.filePath(u"notes"_s);
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible())
                return;
            poll.stop();
            dialog->findChild<QLineEdit*>(u"fileNameEdit"_s)->setText(typed);
            QMetaObject::invokeMethod(dialog, "accept");
        });
        poll.start(5);
        const auto chosen = prompter().saveFile({u"Save File As"_s, dir.filePath(u"Text1.txt"_s),
                                                 u"Text files (*.txt)|*.txt"_s, 1, u".txt"_s});
        QCOMPARE(chosen.value_or(QString()), dir.filePath(u"notes.txt"_s));
    }
};

QTEST_MAIN(TestFileName)
#include "tst_filename.moc"
