// The widget-free rules, each through its plain function, with data rows. The receive text,
// the command-access record, the capture file names, the key rules and the code page are also
// checked on any input by the fuzzers (tests/fuzz); the rows here hold what those do not reach.

#include "TestSupport.h"
#include "core/CommandAccess.h"
#include "core/Globals.h"
#include "core/Keyboard.h"
#include "core/LayoutGeometry.h"
#include "core/ReceiveText.h"
#include "core/StatusTexts.h"
#include "runtime/AppInfo.h"
#include "runtime/CodePage.h"

namespace {
struct ReceiveRow {
    const char* name;
    QByteArrayList events;
    QByteArray shown; // in the pane and the capture file alike
    QStringList lines;
    QString pending;
};
} // namespace

class TestRules : public QObject {
    Q_OBJECT
private slots:
    void init() { Globals::reset(); }
    void cleanup() { Globals::reset(); }

    void values_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("expected");
        const auto row = [](const char* name, const QVariant& value, const QVariant& expected) {
            QTest::newRow(name) << value << expected;
        };
        row("time at start", elapsedText(0), "00:00:00 ");
        row("time just under a second", elapsedText(999), "00:00:00 ");
        row("time mixed", elapsedText((3600 + 2 * 60 + 3) * 1000), "01:02:03 ");
        row("time after 25 hours", elapsedText(25 * 3600 * 1000), "01:00:00 ");
        row("baud whole k", baudSettingValue("115k"), "115000");
        row("upper-case K is no k", baudSettingValue("2.4K"), "2.4K");
        row("k without a number", baudSettingValue("k"), "0");
        row("unknown status", inputStatusText(3), "");
        row("trim: 4000 untouched", paneTrimLength(4000), 0);
        row("trim: 4001 loses 1500", paneTrimLength(4001), 1500);
        row("trim: 5500 loses 1500", paneTrimLength(5500), 1500);
        row("trim: 5501 loses 3000", paneTrimLength(5501), 3000);
        row("banner within a line",
            CommandAccessRecord::isBanner("(C) 1998 BRENIX INDUSTRIES, INC. V2"), true);
        row("banner spaced otherwise", CommandAccessRecord::isBanner("BRENIX  INDUSTRIES, INC."),
            false);
        row("banner cut short", CommandAccessRecord::isBanner("BRENIX INDUSTRIES, INC"), false);
        // The window's layout test sees the design frame; a wider one narrows what stretches.
        const Layout::MainLayout wide = Layout::mainLayout(6360, 5175, 300);
        row("layout: wider frame, pane", wide.txtTerm, QRect(120, 1380, 6000, 3540));
        row("layout: wider frame, labels and buttons",
            QVariant::fromValue(QList<int>{wide.Frame2.width(), wide.lblInfoWidth,
                                           wide.lblFileWidth, wide.btnSaveLeft}),
            QVariant::fromValue(QList<int>{3120, 3480, 840, 1905}));
        // Tab walks the window and Delete edits the pane: neither is a character for the unit.
        row("Tab", Keyboard::keyAscii(Qt::Key_Tab, "\t"), -1);
        row("Delete", Keyboard::keyAscii(Qt::Key_Delete, "\x7f"), -1);
        row("copyright", App::Copyright(2031),
            "Copyright \u00a9 2026-2031 Brenix Industries, Inc.");
    }
    void values()
    {
        QFETCH(QVariant, value);
        QFETCH(QVariant, expected);
        QCOMPARE(value, expected);
    }

    void receiveText_data()
    {
        const int limit = ReceiveText::kLineBufferLimit;
        const QByteArray long_(limit + 100, 'x');
        const QString cut(limit, u'x');
        const ReceiveRow rows[] = {
            // A line longer than the buffer is still shown whole; the check sees its start.
            {"overlong line", {QByteArray(limit + 100, 'x') + '\r'}, long_ + "\r\n", {cut}, ""},
            {"overlong line over two events",
             {QByteArray(limit - 10, 'x'), QByteArray(110, 'x') + '\r'},
             long_ + "\r\n",
             {cut},
             ""},
        };
        addRows(rows);
    }
    void receiveText()
    {
        QFETCH(ReceiveRow, row);
        ReceiveText rule;
        QStringList completed;
        QString text;
        for (const QByteArray& bytes : row.events)
            text += rule.take(bytes, [&](const QString& line) { completed << line; });
        QCOMPARE(CodePage::toBytes(text), row.shown);
        QCOMPARE(completed, row.lines);
        QCOMPARE(rule.strLineBuf, row.pending);
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
