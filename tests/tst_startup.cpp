#include "PtyUnit.h"
#include "TestWindow.h"
#include "capture/FileName.h"
#include "port/PortMap.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QTextDocument>

#include <memory>
#include <vector>

namespace {
QString desktop()
{
    return QDir::home().filePath(QStringLiteral("Desktop"));
}

QStringList items(const ComboBox* combo)
{
    QStringList out;
    for (int i = 0; i < combo->ListCount(); ++i)
        out << combo->List(i);
    return out;
}

// Pseudo-terminals linked as the given port numbers.
struct Ports {
    PortDir dir;
    std::vector<std::unique_ptr<PtyUnit>> units;
    explicit Ports(const QList<int>& numbers)
    {
        for (int n : numbers) {
            units.push_back(std::make_unique<PtyUnit>());
            dir.link(n, units.back()->slavePath());
        }
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

    void usablePortsListed()
    {
        Ports ports({3, 5});
        TestWindow w(TestWindow::Real);
        w->Load();
        QCOMPARE(items(w->cmbComm), (QStringList{"3", "5"}));
        QCOMPARE(w->cmbComm->ListIndex(), 0);
        QCOMPARE(w->cmbBaud->List(w->cmbBaud->ListIndex()), QStringLiteral("9600"));
        QCOMPARE(w.panel(QStringLiteral("Settings")), QStringLiteral("Settings: 9600,n,8,1"));
        QCOMPARE(w->MSComm1->Settings(), QStringLiteral("9600,n,8,1"));
        QCOMPARE(w->MSComm1->CommPort(), 3);
        QVERIFY(!w->MSComm1->PortOpen());
        QVERIFY(w->optStatus->Value(1));
        QVERIFY(!w->tmrRun->Enabled());
        QCOMPARE(w->windowTitle(), QStringLiteral("Brenix Terminal V1.0"));
        QVERIFY(w->KeyPreview);
        QTextDocument tip; // the device as it stands, whatever markup its path holds
        tip.setHtml(w->cmbComm->itemData(1, Qt::ToolTipRole).toString());
        QCOMPARE(tip.toPlainText(), portDevicePath(5));
        QVERIFY(w.prompter.messages.isEmpty());

        QCOMPARE(Globals::strSavePath, desktop() + u'/');
        QCOMPARE(w->cdSave.FileName, desktop() + QStringLiteral("/Text1.txt"));
        QVERIFY(Globals::intFrameHeight > 0);
        QCOMPARE(Globals::intFrameWidth, qint16(0));
    }

    void portSets_data()
    {
        QTest::addColumn<QList<int>>("usable");
        QTest::newRow("only 7") << QList<int>{7};
        QTest::newRow("only 16") << QList<int>{16};
        QList<int> all;
        for (int n = 1; n <= 16; ++n)
            all << n;
        QTest::newRow("all sixteen") << all;
    }
    void portSets()
    {
        QFETCH(QList<int>, usable);
        Ports ports(usable);
        TestWindow w(TestWindow::Real);
        w->Load();
        QStringList expected;
        for (int n : usable)
            expected << QString::number(n);
        QCOMPARE(items(w->cmbComm), expected);
        QCOMPARE(w->MSComm1->CommPort(), usable.first());
        QVERIFY(w.prompter.messages.isEmpty());
    }

    void noPortAtAll()
    {
        PortDir empty;
        TestWindow w(TestWindow::Real);
        w->Load();
        QCOMPARE(w.onlyMessage(),
                 TestWindow::message(
                     16, QStringLiteral("No comm ports found!"),
                     QStringLiteral("No valid comm ports found! Please install a valid serial "
                                    "port and restart this software.")));
        QCOMPARE(w->cmbComm->ListCount(), 0);
        QCOMPARE(w->cmbComm->ListIndex(), -1);
        QCOMPARE(w->cmbBaud->ListIndex(), -1);
        QCOMPARE(w.panel(QStringLiteral("Settings")), QStringLiteral("Settings:"));
        w->show();
        QVERIFY(w->isVisible());
    }

    void portHeldByAnotherProgram()
    {
        Ports ports({3, 5});
        PortHolder holder;
        QVERIFY(holder.hold(ports.units[0]->slavePath()));
        TestWindow w(TestWindow::Real);
        w->Load();
        QCOMPARE(items(w->cmbComm), QStringList{"5"});
    }

    void portTakenAfterStartUp()
    {
        Ports ports({3});
        TestWindow w(TestWindow::Real);
        w->Load();
        QCOMPARE(items(w->cmbComm), QStringList{"3"});
        PortHolder holder;
        QVERIFY(holder.hold(ports.units[0]->slavePath()));
        w->optStatus->setValue(0, true);
        QCOMPARE(w.onlyMessage(),
                 TestWindow::message(
                     48, QStringLiteral("Error opening comm port!"),
                     QStringLiteral("An error has occurred while opening comm port 3.\r\n"
                                    "Please select a different port or correct the port error.")));
        QVERIFY(w->optStatus->Value(1) && !w->optStatus->Value(0));
        QVERIFY(!w->MSComm1->PortOpen());
        QVERIFY(!w->tmrRun->Enabled());
    }

    void desktopFullComesBeforeProbe()
    {
        for (const QString& name : fileNameCandidates(QStringLiteral("Text")))
            QFile(desktop() + u'/' + name).open(QIODevice::WriteOnly);
        PortDir empty;
        TestWindow w(TestWindow::Real);
        w->Load();
        QCOMPARE(w.prompter.messages.size(), 2);
        QCOMPARE(w.prompter.messages[0].title, QStringLiteral("Cannot create a log file!"));
        QCOMPARE(w.prompter.messages[1].title, QStringLiteral("No comm ports found!"));
        QCOMPARE(w->lblFile->Caption(), QStringLiteral("????"));
        QCOMPARE(w->cdSave.FileName, desktop() + QStringLiteral("/????"));
    }

    void noHomeFolder()
    {
        const QByteArray home = qgetenv("HOME");
        qunsetenv("HOME");
        PortDir empty;
        TestWindow w(TestWindow::Real);
        w->Load();
        qputenv("HOME", home);
        QCOMPARE(Globals::strSavePath, QStringLiteral("/Desktop/"));
        QVERIFY(w->cdSave.FileName.startsWith(QStringLiteral("/Desktop/Text")));
    }
};

QTEST_MAIN(TestStartUp)
#include "tst_startup.moc"
