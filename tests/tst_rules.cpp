// The widget-free rules, each through its plain function, with data rows.

#include "TestSupport.h"
#include "capture/CaptureFile.h"
#include "capture/CaptureToggle.h"
#include "capture/FileName.h"
#include "core/CommandAccess.h"
#include "core/Globals.h"
#include "core/Keyboard.h"
#include "core/LayoutGeometry.h"
#include "core/ReceiveText.h"
#include "core/StatusTexts.h"
#include "port/SerialError.h"
#include "runtime/AppInfo.h"
#include "runtime/CodePage.h"

#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

class TestRules : public QObject {
    Q_OBJECT
private slots:
    void init() { Globals::reset(); }
    void cleanup()
    {
        CaptureFile::closeAll();
        Globals::reset();
    }

    void receiveText_data()
    {
        QTest::addColumn<QByteArrayList>("events");
        QTest::addColumn<QByteArray>("shown"); // in the pane and the capture file alike
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("pending");
        QTest::newRow("CR LF") << QByteArrayList{"A\r\nB\r\n"} << QByteArray("A\r\nB\r\n")
                               << QStringList{"A", "B"} << "";
        QTest::newRow("LF only runs together")
            << QByteArrayList{"A\nB"} << QByteArray("AB") << QStringList{} << "AB";
        QTest::newRow("CR CR") << QByteArrayList{"\r\r"} << QByteArray("\r\n\r\n")
                               << QStringList{"", ""} << "";
        QTest::newRow("lone CR") << QByteArrayList{"x\ry"} << QByteArray("x\r\ny")
                                 << QStringList{"x"} << "y";
        QTest::newRow("NUL and high bytes kept")
            << QByteArrayList{QByteArray("a\0\x80\xE9\r", 5)} << QByteArray("a\0\x80\xE9\r\n", 6)
            << QStringList{CodePage::toString(QByteArray("a\0\x80\xE9", 4))} << "";
        QTest::newRow("line split over two events completes once")
            << QByteArrayList{"AB", "C\r\nD"} << QByteArray("ABC\r\nD") << QStringList{"ABC"}
            << "D";
        QTest::newRow("CR and LF in separate events")
            << QByteArrayList{"A\r", "\nB"} << QByteArray("A\r\nB") << QStringList{"A"} << "B";
    }
    void receiveText()
    {
        QFETCH(QByteArrayList, events);
        QFETCH(QByteArray, shown);
        QFETCH(QStringList, lines);
        QFETCH(QString, pending);
        ReceiveText rule;
        QStringList completed;
        QString text;
        for (const QByteArray& bytes : events)
            text += rule.take(bytes, [&](const QString& line) { completed << line; });
        QCOMPARE(CodePage::toBytes(text), shown);
        QCOMPARE(completed, lines);
        QCOMPARE(rule.strLineBuf, pending);
    }

    void lineBufferIsBounded()
    {
        const int line = ReceiveText::kLineBufferLimit + 100;
        // In one event, and split a little before the limit.
        for (const int split : {line, ReceiveText::kLineBufferLimit - 10}) {
            ReceiveText rule;
            QStringList completed;
            const auto onLine = [&](const QString& l) { completed << l; };
            QString text = rule.take(QByteArray(split, 'x'), onLine);
            text += rule.take(QByteArray(line - split, 'x') + '\r', onLine);
            QCOMPARE(text.size(), line + 2); // the rest of the line is still shown
            QCOMPARE(completed, QStringList{QString(ReceiveText::kLineBufferLimit, u'x')});
            QVERIFY(rule.strLineBuf.isEmpty());
        }
    }

    void paneTrim_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("cut");
        QTest::newRow("4000 untouched") << 4000 << 0;
        QTest::newRow("4001 loses 1500") << 4001 << 1500;
        QTest::newRow("5500 loses 1500") << 5500 << 1500;
        QTest::newRow("5501 loses 3000") << 5501 << 3000;
        QTest::newRow("100000 loses 96000") << 100000 << 96000;
    }
    void paneTrim()
    {
        QFETCH(int, length);
        QFETCH(int, cut);
        QCOMPARE(paneTrimLength(length), cut);
    }

    void banner_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("banner");
        QTest::newRow("alone") << "BRENIX INDUSTRIES, INC." << true;
        QTest::newRow("within a line") << "(C) 1998 BRENIX INDUSTRIES, INC. V2" << true;
        QTest::newRow("lower case") << "brenix industries, inc." << false;
        QTest::newRow("other spacing") << "BRENIX  INDUSTRIES, INC." << false;
        QTest::newRow("cut short") << "BRENIX INDUSTRIES, INC" << false;
    }
    void banner()
    {
        QFETCH(QString, line);
        QFETCH(bool, banner);
        QCOMPARE(CommandAccessRecord::isBanner(line), banner);
    }

    // Lines recorded after the banner answer, and whether the handshake may complete.
    void settledOutput_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("flowElapsed");
        QTest::addColumn<bool>("settled"); // CheckLines
        const QStringList ten(10, QStringLiteral("STATUS 0001"));
        QStringList withEmpty = ten;
        withEmpty[4].clear();
        QStringList withLonger = ten;
        withLonger[9] += u'!';
        QTest::newRow("ten equal lines") << ten << true << true;
        QTest::newRow("ten equal lines before the flow tick") << ten << false << true;
        QTest::newRow("nine lines") << ten.mid(1) << true << false;
        QTest::newRow("ten equal lines with one empty") << withEmpty << true << false;
        QTest::newRow("one longer line") << withLonger << true << false;
        QTest::newRow("an odd line pushed out of the ring")
            << (QStringList{"initialising..."} + ten) << true << true;
        QTest::newRow("empty line, then ten more") << (withEmpty + ten) << true << true;
        QTest::newRow("ten empty lines") << QStringList(10, QString()) << true << false;
    }
    void settledOutput()
    {
        QFETCH(QStringList, lines);
        QFETCH(bool, flowElapsed);
        QFETCH(bool, settled);
        CommandAccessRecord record;
        record.start();
        record.bannerAnswered();
        Globals::blnFlowElapsed = flowElapsed;
        for (const QString& line : lines)
            record.record(line);
        QCOMPARE(CommandAccessRecord::CheckLines(), settled);
        QCOMPARE(record.readyToComplete(), settled && flowElapsed);
        Globals::blnCommandPending = false; // no handshake: never settled
        QVERIFY(!CommandAccessRecord::CheckLines());
    }

    void recordRingAndCompletion()
    {
        CommandAccessRecord record;
        record.start();
        QVERIFY(Globals::blnCommandPending && !Globals::blnBannerSeen);
        record.record(QStringLiteral("before the banner")); // not recorded
        QVERIFY(std::all_of(Globals::strLines.begin(), Globals::strLines.end(),
                            [](const QString& s) { return s.isEmpty(); }));
        record.bannerAnswered();
        record.record(QStringLiteral("first"));
        QCOMPARE(record.intLineIndex, qint16(1));
        QCOMPARE(Globals::strLines[1], QStringLiteral("first"));
        for (int i = 0; i < 9; ++i)
            record.record(QStringLiteral("more"));
        QCOMPARE(record.intLineIndex, qint16(0)); // wrapped after slot 9
        Globals::blnFlowElapsed = true;
        record.complete();
        QVERIFY(!Globals::blnCommandPending && !Globals::blnBannerSeen && !Globals::blnFlowElapsed);
        QVERIFY(std::all_of(Globals::strLines.begin(), Globals::strLines.end(),
                            [](const QString& s) { return s.isEmpty(); }));
        QCOMPARE(record.intLineIndex, qint16(0)); // the index is kept
        // A fresh handshake starts from the same state.
        record.start();
        QVERIFY(!CommandAccessRecord::CheckLines());
    }

    void layout_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("frame");
        QTest::addColumn<QRect>("txtTerm");
        QTest::addColumn<int>("frame2Width");
        QTest::addColumn<int>("lblInfoWidth");
        QTest::addColumn<int>("lblPathWidth");
        QTest::addColumn<int>("buttonsLeft");
        QTest::newRow("minimum, design frame")
            << 6360 << 5175 << 165 << QRect(120, 1380, 6135, 3540) << 3255 << 3615 << 975 << 2040;
        QTest::newRow("1000 wider")
            << 7360 << 5175 << 165 << QRect(120, 1380, 7135, 3540) << 4255 << 4615 << 1975 << 3040;
        QTest::newRow("1000 taller")
            << 6360 << 6175 << 165 << QRect(120, 1380, 6135, 4540) << 3255 << 3615 << 975 << 2040;
        QTest::newRow("no frame measured: the design frame")
            << 6360 << 5175 << 0 << QRect(120, 1380, 6135, 3540) << 3255 << 3615 << 975 << 2040;
        QTest::newRow("wider frame, wider margin")
            << 6360 << 5175 << 300 << QRect(120, 1380, 6000, 3540) << 3120 << 3480 << 840 << 1905;
    }
    void layout()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, frame);
        QFETCH(QRect, txtTerm);
        QFETCH(int, frame2Width);
        QFETCH(int, lblInfoWidth);
        QFETCH(int, lblPathWidth);
        QFETCH(int, buttonsLeft);
        const Layout::MainLayout l = Layout::mainLayout(width, height, frame);
        QCOMPARE(l.txtTerm, txtTerm);
        QCOMPARE(l.txtTerm.y() + l.txtTerm.height(), height - 255); // meets the status bar
        QCOMPARE(l.Frame1, QRect(120, -80, 3015, 810));
        QCOMPARE(l.Frame2, QRect(3000, -80, frame2Width, 810));
        QCOMPARE(l.Frame3, QRect(120, 720, txtTerm.width(), 615));
        QCOMPARE(l.lblInfoWidth, lblInfoWidth);
        QCOMPARE(l.lblPathWidth, lblPathWidth);
        QCOMPARE(l.lblFileWidth, lblPathWidth);
        QCOMPARE(l.btnChangeLeft, buttonsLeft);
        QCOMPARE(l.btnSaveLeft, buttonsLeft);
        QVERIFY(l.txtTerm.x() + l.txtTerm.width() <= width); // inside the client area
    }

    void statusTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("time at start") << elapsedText(0) << "00:00:00 ";
        QTest::newRow("time just under a second") << elapsedText(999) << "00:00:00 ";
        QTest::newRow("time mixed") << elapsedText((3600 + 2 * 60 + 3) * 1000) << "01:02:03 ";
        QTest::newRow("time after 25 hours") << elapsedText(25 * 3600 * 1000) << "01:00:00 ";
        QTest::newRow("baud 9600") << baudSettingValue("9600") << "9600";
        QTest::newRow("baud 19.2k") << baudSettingValue("19.2k") << "19200";
        QTest::newRow("baud 38.4k") << baudSettingValue("38.4k") << "38400";
        QTest::newRow("baud whole k") << baudSettingValue("115k") << "115000";
        QTest::newRow("upper-case K is no k") << baudSettingValue("2.4K") << "2.4K";
        QTest::newRow("k without a number") << baudSettingValue("k") << "0";
        QTest::newRow("status 0") << inputStatusText(0) << "Input: Not Receiving";
        QTest::newRow("status 2") << inputStatusText(2) << "Input: Saving to file";
        QTest::newRow("unknown status") << inputStatusText(3) << "";
    }
    void statusTexts()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(text, expected);
    }

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("mask");
        QTest::addColumn<int>("ascii");
        const int ctrlAlt = int(Qt::ControlModifier | Qt::AltModifier);
        QTest::newRow("letter") << int(Qt::Key_A) << "a" << 0 << 0 << 97;
        QTest::newRow("shifted letter")
            << int(Qt::Key_A) << "A" << int(Qt::ShiftModifier) << 1 << 65;
        QTest::newRow("Ctrl+C") << int(Qt::Key_C) << "\x03" << int(Qt::ControlModifier) << 2 << 3;
        QTest::newRow("Alt+x") << int(Qt::Key_X) << "x" << int(Qt::AltModifier) << 4 << 120;
        QTest::newRow("AltGr on X11")
            << int(Qt::Key_At) << "@" << int(Qt::GroupSwitchModifier) << 0 << 64;
        // X11 gives a real Ctrl+Alt+1 the text "1": still Ctrl and Alt.
        QTest::newRow("Ctrl+Alt with a character") << int(Qt::Key_1) << "1" << ctrlAlt << 6 << 49;
        QTest::newRow("Ctrl+Alt without a character")
            << int(Qt::Key_Delete) << "" << ctrlAlt << 6 << -1;
        QTest::newRow("euro sign") << int(Qt::Key_unknown) << "\u20ac" << 0 << 0 << 0x80;
        QTest::newRow("outside the code page") << int(Qt::Key_unknown) << "\u4e00" << 0 << 0 << -1;
        QTest::newRow("Tab moves the focus") << int(Qt::Key_Tab) << "\t" << 0 << 0 << -1;
        QTest::newRow("Delete keeps its meaning") << int(Qt::Key_Delete) << "\x7f" << 0 << 0 << -1;
        QTest::newRow("arrow") << int(Qt::Key_Left) << "" << 0 << 0 << -1;
    }
    void keys()
    {
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(int, modifiers);
        QFETCH(int, mask);
        QFETCH(int, ascii);
        QCOMPARE(Keyboard::shiftMask(Qt::KeyboardModifiers(modifiers)), mask);
        QCOMPARE(Keyboard::keyAscii(key, text), ascii);
    }

    void fileNameParts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("base of a.b.txt") << baseName("a.b.txt") << "a";
        QTest::newRow("base of log.csv") << baseName("log.csv") << "log";
        QTest::newRow("base without a full stop") << baseName("notes") << "notes";
        QTest::newRow("folder of a path") << folderOf("/home/op/logs/data.txt") << "/home/op/logs/";
        QTest::newRow("a backslash is part of a name")
            << folderOf("/home/u/a\\b.txt") << "/home/u/";
        QTest::newRow("copyright")
            << App::Copyright(2031) << "Copyright \u00a9 2026-2031 Brenix Industries, Inc.";
    }
    void fileNameParts()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(text, expected);
    }

    void serialErrors_data()
    {
        QTest::addColumn<int>("op");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("err");
        QTest::addColumn<int>("number");
        using P = QSerialPort;
        QTest::newRow("no device")
            << int(SerialOp::Open) << int(P::DeviceNotFoundError) << 0 << Err::NoSuchPort;
        QTest::newRow("held by another program")
            << int(SerialOp::Open) << int(P::PermissionError) << 0 << Err::PortBusy;
        QTest::newRow("not in the dialout group")
            << int(SerialOp::Open) << int(P::PermissionError) << EACCES << Err::PermissionDenied;
        QTest::newRow("settings refused")
            << int(SerialOp::Apply) << int(P::UnsupportedOperationError) << 0
            << Err::ApplyStateFailed;
        QTest::newRow("read failed")
            << int(SerialOp::Read) << int(P::ReadError) << 0 << Err::ReadFailed;
        QTest::newRow("write failed")
            << int(SerialOp::Write) << int(P::WriteError) << 0 << Err::PortNotOpen;
    }
    void serialErrors()
    {
        QFETCH(int, op);
        QFETCH(int, error);
        QFETCH(int, err);
        QFETCH(int, number);
        const RuntimeError e = serialError(SerialOp(op), QSerialPort::SerialPortError(error),
                                           QStringLiteral("system text"), err);
        QCOMPARE(e.number, number);
        QCOMPARE(e.detail, QStringLiteral("system text"));
    }

    void captureToggle()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("cap.txt"));
        CaptureToggle toggle;
        QCOMPARE(toggle.caption(), QStringLiteral("Save To File"));
        toggle.switchOn(path);
        QVERIFY(toggle.blnFileOpen && Globals::blnSaving);
        QCOMPARE(toggle.caption(), QStringLiteral("Close File"));
        CaptureFile::number1().write(QStringLiteral("AB\r\nC"));
        toggle.switchOff();
        QVERIFY(!toggle.blnFileOpen && !Globals::blnSaving && !CaptureFile::number1().isOpen());
        QCOMPARE(fileContents(path), QByteArray("AB\r\nC\r\n\r\n"));
        toggle.switchOn(path); // a second run appends after the first run's trailer
        toggle.switchOff();
        QCOMPARE(fileContents(path), QByteArray("AB\r\nC\r\n\r\n\r\n\r\n"));
    }

    void captureToggleFailures()
    {
        QTemporaryDir dir;
        CaptureToggle toggle;
        QCOMPARE(errorOf([&] { toggle.switchOn(dir.filePath(QStringLiteral("????"))); }),
                 Err::BadFileName);
        QVERIFY(!toggle.blnFileOpen && !Globals::blnSaving);
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("????"))));
        if (!QFile::exists(QStringLiteral("/dev/full")))
            QSKIP("no /dev/full here");
        toggle.switchOn(QStringLiteral("/dev/full"));
        // The trailer cannot be written: capture stays switched on, writing nothing more.
        QCOMPARE(errorOf([&] { toggle.switchOff(); }), Err::DiskFull);
        QVERIFY(toggle.blnFileOpen && !Globals::blnSaving && CaptureFile::number1().isOpen());
        QCOMPARE(toggle.caption(), QStringLiteral("Close File"));
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
