#include "TestWindow.h"
#include "capture/FileName.h"
#include "port/PortMap.h"

#include <QSerialPort>
#include <QStandardPaths>
#include <QTextDocument>

#include <vector>

namespace {
QString desktop()
{
    return QDir::home().filePath(u"Desktop"_s);
}

QStringList items(const ComboBox* combo)
{
    QStringList out;
    for (int i = 0; i < combo->ListCount(); ++i)
        out << combo->List(i);
    return out;
}

// A window started with pseudo-terminals linked as the given port numbers.
struct StartedWindow : TestWindow {
    PortDir dir;
    std::vector<std::unique_ptr<PtyUnit>> units;
    explicit StartedWindow(const QList<int>& numbers, bool load = true) : TestWindow(Real)
    {
        for (int n : numbers) {
            units.push_back(std::make_unique<PtyUnit>());
            dir.link(n, units.back()->slavePath());
        }
        if (load)
            window->Load();
    }
};
} // namespace

class TestStartUp : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QDir(desktop()).removeRecursively();
        QDir().mkpath(desktop());
    }

    // The usable ports listed, the first selected at 9600; the Desktop as the save folder.
    void usablePortsListed_data()
    {
        QTest::addColumn<QList<int>>("usable");
        QTest::newRow("3 and 5") << QList<int>{3, 5};
        QTest::newRow("only 16") << QList<int>{16};
        QTest::newRow("all sixteen")
            << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    }
    void usablePortsListed()
    {
        QFETCH(QList<int>, usable);
        StartedWindow w(usable);
        QStringList expected;
        for (int n : usable)
            expected << QString::number(n);
        QCOMPARE(items(w->cmbComm), expected);
        QCOMPARE(w->MSComm1->CommPort(), usable.first());
        QCOMPARE(w->cmbBaud->List(w->cmbBaud->ListIndex()), u"9600"_s);
        QVERIFY(!w->MSComm1->PortOpen());
        QCOMPARE(w->windowTitle(), u"Brenix Terminal V1.0"_s);
        QTextDocument tip; // the device as it stands, whatever markup its path holds
        tip.setHtml(w->cmbComm->itemData(usable.size() - 1, Qt::ToolTipRole).toString());
        QCOMPARE(tip.toPlainText(), portDevicePath(usable.last()));
        QVERIFY(w.prompter.messages.isEmpty());

        QCOMPARE(Globals::strSavePath, desktop() + u'/');
        QCOMPARE(w->lblPath->ToolTipText(), u"Desktop"_s);
        QCOMPARE(w->cdSave.FileName, desktop() + u"/Text1.txt"_s);
    }

    // A port another program holds at start-up is not listed; one taken later fails to open.
    void portsHeldByAnotherProgram_data()
    {
        QTest::addColumn<QString>("holder");
        QTest::newRow("Qt's serial port") << u"qt"_s; // its lock file and exclusive use
        QTest::newRow("a second instance") << u"instance"_s;
        QTest::newRow("picocom") << u"picocom"_s; // an exclusive flock
    }
    void portsHeldByAnotherProgram()
    {
        QFETCH(QString, holder);
        if (holder == u"picocom" && QStandardPaths::findExecutable(holder).isEmpty())
            QSKIP("picocom is not installed");
        StartedWindow w({3, 5}, false);
        const auto hold = [&](int unit) -> std::shared_ptr<void> {
            const QString path = w.units[unit]->slavePath();
            if (holder == u"qt") {
                auto port = std::make_shared<QSerialPort>(path);
                return port->open(QIODevice::ReadWrite) ? port : nullptr;
            }
            auto other = holder == u"picocom"
                             ? std::make_shared<Holder>(holder, QStringList{path}, "Terminal ready")
                             : std::make_shared<Holder>(QStringList{"port", u"%1"_s.arg(unit * 2 + 3)});
            return other->held ? other : nullptr;
        };
        const auto early = hold(0);
        QVERIFY(early);
        w->Load();
        QCOMPARE(items(w->cmbComm), QStringList{"5"});
        const auto late = hold(1);
        QVERIFY(late);
        w->optStatus->setValue(0, true);
        QCOMPARE(
            w.onlyMessage(),
            TestWindow::message(48, u"Error opening comm port!"_s,
                                u"An error has occurred while opening comm port 5.\r\n"
                                "Please select a different port or correct the port error."_s));
        QCOMPARE(w.state(), kClosedState);
    }

    // Every numbered name taken on the Desktop: said before the port probe, with the name still
    // shown; the no-name marker after it. No port at all: said at start-up and on "Open".
    void desktopFullComesBeforeProbe()
    {
        for (const QString& name : fileNameCandidates(u"Text"_s))
            QFile(desktop() + u'/' + name).open(QIODevice::WriteOnly);
        StartedWindow w({}, false);
        QStringList captions;
        w.prompter.onMessage = [&](const MessageBoxCall&) { captions << w->lblFile->Caption(); };
        w->Load();
        QCOMPARE(w.prompter.messages.size(), 2);
        const MessageBoxCall& full = w.prompter.messages[0];
        QCOMPARE(TestWindow::message(full.style, full.title, full.text),
                 TestWindow::message(16, u"Cannot create a log file!"_s,
                                     u"There has been an error while attempting to "
                                     "automatically generate a text file for saving.\r\n"
                                     "Please press the 'Change' button to change the "
                                     "filename"_s));
        const QString noPorts =
            TestWindow::message(16, u"No comm ports found!"_s,
                                u"No valid comm ports found! Please install a valid serial "
                                "port and restart this software."_s);
        const MessageBoxCall& none = w.prompter.messages[1];
        QCOMPARE(TestWindow::message(none.style, none.title, none.text), noPorts);
        QCOMPARE(captions, (QStringList{"Text1.txt", "????"}));
        QCOMPARE(w->lblFile->ToolTipText(), u"????"_s);
        QCOMPARE(w->cdSave.FileName, desktop() + u"/????"_s);
        // No port at all: said again when "Open" is chosen.
        QCOMPARE(w->cmbComm->ListCount(), 0);
        QCOMPARE(w.panel(u"Settings"_s), u"Settings:"_s);
        w.prompter.messages.clear();
        w->optStatus->setValue(0, true);
        QCOMPARE(w.onlyMessage(), noPorts);
        QCOMPARE(w.state(), kClosedState);
    }
};

QTEST_MAIN(TestStartUp)
#include "tst_startup.moc"
