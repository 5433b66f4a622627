#include "FileExistsAnswers.h"
#include "TestWindow.h"
#include "capture/FileName.h"

namespace {
void touch(const QString& path)
{
    QFile(path).open(QIODevice::WriteOnly);
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

struct FreeNameRow {
    const char* name;
    QString base;
    QStringList files, folders; // taken in the folder
    QString expected;
};

// The existing-file answers: files in the chosen folder, the one chosen, the answer, and what it
// leaves as target and on disk.
struct ExistingRow {
    const char* name;
    QStringList existing;
    QString chosen, answer, target;
    QStringList remaining;
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
        const auto numbered = [](int last) {
            QStringList names;
            for (int i = 1; i <= last; ++i)
                names << u"Text%1.txt"_s.arg(i);
            return names;
        };
        const FreeNameRow rows[] = {
            {"empty", "Text", {}, {}, "Text1.txt"},
            {"gap filled first", "Text", {"Text2.txt"}, {}, "Text1.txt"},
            {"folder is no file", "Text", {}, {"Text1.txt"}, "Text1.txt"},
            {"the last number", "Text", numbered(98), {}, "Text99.txt"},
        };
        addRows(rows);
    }
    void firstFreeName()
    {
        QFETCH(FreeNameRow, row);
        TestWindow w;
        for (const QString& f : row.files)
            touch(w.files.filePath(f));
        for (const QString& f : row.folders)
            QDir(w.files.path()).mkdir(f);
        Globals::strSavePath = w.files.path() + u'/';
        w->GenerateFileName(row.base);
        QCOMPARE(Globals::strFileName, row.expected);
        QCOMPARE(w->lblFile->Caption(), row.expected);
        QCOMPARE(w->lblFile->ToolTipText(), row.expected);
        QVERIFY(w.prompter.messages.isEmpty());
    }

    // The existing-file answers, each with what it leaves as target and on disk.
    void existingFile_data()
    {
        // clang-format off
        const ExistingRow rows[] = {
            {"append", {"old.txt"}, "old.txt", "btnAppend", "old.txt", {"old.txt"}},
            {"overwrite", {"old.txt"}, "old.txt", "btnOverwrite", "old.txt", {}},
            {"add numbers, in the chosen folder", {"data.txt", "data1.txt"}, "data.txt", "btnAdd",
             "data2.txt", {"data.txt", "data1.txt"}},
            {"add numbers to another extension", {"log.csv"}, "log.csv", "btnAdd", "log.txt",
             {"log.csv"}},
            {"add numbers to a name without a full stop", {"notes", "notes.txt"}, "notes", "btnAdd",
             "notes1.txt", {"notes", "notes.txt"}},
        };
        // clang-format on
        addRows(rows);
    }
    void existingFile()
    {
        QFETCH(ExistingRow, row);
        QTemporaryDir other;
        for (const QString& name : row.existing)
            touch(other.filePath(name));
        TargetWindow w;
        w.change({other.filePath(row.chosen)}, {row.answer});
        QCOMPARE(w.shown, QStringList{kDialogShown});
        QCOMPARE(w.target(), other.filePath(row.target));
        QCOMPARE(w->lblPath->Caption(), other.path());
        QCOMPARE(w->lblFile->Caption(), row.target);
        QCOMPARE(QDir(other.path()).entryList(QDir::Files, QDir::Name), row.remaining);
        QVERIFY(w.prompter.messages.isEmpty());
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

    // Cancel, Add Numbers with every numbered name taken and the close box bring the save dialog
    // back, at the name just chosen; they delete nothing, and a close box after an Overwrite
    // still counts as Cancel.
    void answersThatChooseAgain()
    {
        QTemporaryDir other;
        for (const QString& name : fileNameCandidates(u"x"_s) + QStringList{u"x.txt"_s, u"a.txt"_s})
            touch(other.filePath(name));
        TargetWindow w;
        w.change({other.filePath(u"a.txt"_s), other.filePath(u"x.txt"_s)}, {"btnCancel", "btnAdd"});
        QCOMPARE(w.prompter.saveRequests.size(), 3); // the third is cancelled
        QCOMPARE(w.prompter.saveRequests[1].fileName, other.filePath(u"a.txt"_s));
        QVERIFY(w.onlyMessage().contains(u"| Cannot create a log file! |"_s));
        QCOMPARE(w.target(), w.files.path() + u"/????"_s);
        QCOMPARE(w->lblFile->Caption(), u"????"_s);
        w.change({other.filePath(u"a.txt"_s)}, {"btnOverwrite"});
        w.change({other.filePath(u"x.txt"_s)}, {"close"});
        QCOMPARE(Globals::intFileChoice, 4);
        QCOMPARE(w.target(), other.filePath(u"a.txt"_s));
        QVERIFY(QFile::exists(other.filePath(u"x.txt"_s)));
    }
};

QTEST_MAIN(TestFileName)
#include "tst_filename.moc"
