#include "TestSupport.h"
#include "ui/controls/Controls.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPaintEvent>
#include <QPicture>
#include <QTextCursor>

namespace {
// Records the rectangles painted in a widget.
struct PaintLog : QObject {
    QList<QRect> rects;
    explicit PaintLog(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            rects << static_cast<QPaintEvent*>(event)->rect();
        return false;
    }
};

// Appends as the receive path does: the insertion point to the end, the text there.
void append(TextBox& box, const QString& text)
{
    box.setSelStart(box.Length());
    box.setSelText(text);
}

// Shows the pane, without a blinking insertion point that would change its pictures.
bool shown(TextBox& box, int width, int height)
{
    box.setFocusPolicy(Qt::NoFocus);
    box.resize(width, height);
    box.show();
    return QTest::qWaitForWindowExposed(&box);
}

// Text laid out, text collected after it, how many characters are cut from the start, and what
// is left.
struct CutRow {
    const char* name;
    QString text, collected;
    int cut;
    QString left;
};

// What the clipboard holds (format, data, format, data ...), and the pane's text after a paste
// into "x".
struct PasteRow {
    const char* name;
    QList<QByteArray> formats;
    QString after;
};
} // namespace

class TestControls : public QObject {
    Q_OBJECT
private slots:
    // Each control byte and each unassigned byte is drawn as a cell of its own, filled, with a
    // mark that differs from every other byte's, at the default font and size.
    void standInsLegibleAndDistinct()
    {
        QString bytes;
        for (char16_t c = 0; c < 0x20; ++c)
            if (c != u'\t' && c != u'\n')
                bytes += QChar(c);
        bytes += QChar(0x7F);
        for (char16_t c : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
            bytes += QChar(c);
        QHash<QByteArray, QString> seen;
        for (QChar byte : std::as_const(bytes)) {
            TextBox box;
            box.setText(QString(byte) + u" "_s);
            QVERIFY(shown(box, 120, 60));
            QTextCursor at(box.document());
            const QRect first = box.cursorRect(at);
            at.movePosition(QTextCursor::NextCharacter);
            const QRect cell(first.x(), first.y(), box.cursorRect(at).x() - first.x(),
                             first.height());
            const QImage shot = box.viewport()->grab(cell).toImage();
            int dark = 0, light = 0;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    (qGray(shot.pixel(x, y)) < 128 ? dark : light)++;
            const QString name = QString::number(byte.unicode(), 16);
            // A filled cell with a clear letter on it, not a faint glyph on the background.
            QVERIFY2(dark > shot.width() * shot.height() / 2 && light >= 6, qPrintable(name));
            const QByteArray picture(reinterpret_cast<const char*>(shot.constBits()),
                                     shot.sizeInBytes());
            QVERIFY2(!seen.contains(picture), qPrintable(name + " looks like " + seen[picture]));
            seen.insert(picture, name);
        }
    }

    // A paint draws the stand-ins of the lines in its area only: the insertion point's blink
    // repaints a sliver of a pane whose one block is thousands of stand-ins (a unit at the wrong
    // baud rate).
    void standInsPaintOnlyTheArea()
    {
        TextBox box;
        box.setText(QString(4000, QChar(0)));
        QVERIFY(shown(box, 400, 240));
        const auto recorded = [&](const QRect& area) {
            QPicture picture;
            box.viewport()->render(&picture, area.topLeft(), QRegion(area));
            return picture.size();
        };
        const uint sliver = recorded(QRect(10, 10, 2, 2)), whole = recorded(box.viewport()->rect());
        QVERIFY2(sliver * 4 < whole, qPrintable(u"%1 of %2 bytes"_s.arg(sliver).arg(whole)));
    }

    // A paste puts plain text in, shown as received text is, its line ends as line breaks,
    // whatever the clipboard holds.
    void paste_data()
    {
        const PasteRow rows[] = {
            {"empty", {}, u"x"_s},
            {"an image", {"image/png", "\x89PNG\r\n\x1a\n"}, u"x"_s},
            {"rich text alone", {"text/html", "<b>bold</b>"}, u"x"_s},
            {"rich and plain text", {"text/html", "<b>bold</b>", "text/plain", "plain"},
             u"xplain"_s},
            {"line ends and control bytes",
             {"text/plain", "a\r\nb\nc\rd\x1b\x00\x7f\xc2\x85!"_ba},
             u"xa\r\nb\r\nc\r\nd\x1b"_s + QChar(0) + u"\x7f\ufffd!"_s},
        };
        addRows(rows);
    }
    void paste()
    {
        QFETCH(PasteRow, row);
        TextBox box;
        box.setText(u"x"_s);
        box.setSelStart(1);
        auto* data = new QMimeData;
        for (qsizetype i = 0; i + 1 < row.formats.size(); i += 2)
            data->setData(QString::fromLatin1(row.formats[i]), row.formats[i + 1]);
        QGuiApplication::clipboard()->setMimeData(data);
        box.paste();
        QCOMPARE(box.Text(), row.after);
        QCOMPARE(box.toPlainText(), TextBox::toDisplay(row.after));
    }

    // Cutting the pane's first characters never leaves half a line break behind, whether the
    // cut ends in the laid-out text or in the text collected since.
    void textBoxCutKeepsLineBreaksWhole_data()
    {
        const CutRow rows[] = {
            {"cut ends before CR", "ab\r\ncd", "", 2, "\r\ncd"},
            {"cut ends between CR and LF", "ab\r\ncd", "", 3, "cd"},
            {"trim chunk between CR and LF", QString(1499, u'x') + "\r\n" + QString(2600, u'y'), "",
             1500, QString(2600, u'y')},
            {"collected: cut in the laid-out text", "ab\r\ncd", "ef\r\n", 3, "cdef\r\n"},
            {"collected: cut ends between CR and LF", "ab", "cd\r\nef", 5, "ef"},
            {"collected: everything", "ab", "cd", 4, ""},
            {"collected only", "", "abc\r\ndef", 2, "c\r\ndef"},
        };
        addRows(rows);
    }
    void textBoxCutKeepsLineBreaksWhole()
    {
        QFETCH(CutRow, row);
        TextBox box;
        box.setText(row.text);
        append(box, row.collected);
        box.setSelStart(0);
        box.setSelLength(row.cut);
        QCOMPARE(box.SelStart(), 0);
        box.setSelText(QString());
        QCOMPARE(box.Text(), row.left);
        QCOMPARE(box.Length(), int(row.left.size()));
        box.flush();
        QCOMPARE(box.Text(), row.left);
    }

    // Collected text counts at once, and a key typed in the pane lands after it.
    void textBoxKeyAfterCollected()
    {
        TextBox box;
        append(box, u"c\r\nd"_s);
        QCOMPARE(box.SelStart(), 4);
        QTest::keyClick(&box, Qt::Key_X);
        QCOMPARE(box.Text(), u"c\r\ndx"_s);
    }

    // An arrival in a quiet pane is laid out and painted as soon as the event loop runs; text
    // that keeps streaming is laid out in passes at most every kPassMs, and none of it waits
    // longer than a pass.
    void textBoxCadence()
    {
        TextBox box;
        QVERIFY(shown(box, 400, 240));
        PaintLog pane(box.viewport());
        append(box, u"$ "_s);
        QCoreApplication::processEvents(); // the pass
        QCoreApplication::processEvents(); // the paint it asked for
        QCOMPARE(box.passes(), 1);
        QCOMPARE(box.toPlainText(), u"$ "_s);
        QVERIFY(!pane.rects.isEmpty());

        QElapsedTimer streaming;
        streaming.start();
        int sent = 0;
        QTimer chunks;
        QObject::connect(&chunks, &QTimer::timeout, [&] {
            if (sent == 60)
                return chunks.stop();
            append(box, u"line %1\r\n"_s.arg(sent++));
        });
        chunks.start(5);
        QTRY_VERIFY_WITH_TIMEOUT(!chunks.isActive(), 10000);
        const qint64 took = streaming.elapsed();
        QTRY_VERIFY_WITH_TIMEOUT(box.toPlainText().endsWith(u"line 59\n"_s), TextBox::kPassMs * 4);
        const int passes = box.passes() - 1;
        QVERIFY2(passes >= 2 && passes <= took / TextBox::kPassMs + 2,
                 qPrintable(u"%1 passes in %2 ms"_s.arg(passes).arg(took)));
    }

    // A line streaming in repaints the new line, not the whole pane, and the view follows it;
    // the scroll bar follows with a deferred repaint that is not lost when the stream stops.
    void textBoxRepaintsOnlyWhatChanged()
    {
        TextBox box;
        QVERIFY(shown(box, 400, 240));
        QString lines;
        for (int i = 0; i < 100; ++i)
            lines += u"line %1\r\n"_s.arg(i);
        box.setText(lines);
        box.setSelStart(box.Length());
        box.flush();
        QCoreApplication::processEvents(); // the first picture painted
        PaintLog pane(box.viewport()), bar(box.verticalScrollBar());
        append(box, u"one more line\r\n"_s);
        box.flush();
        QTRY_VERIFY(!pane.rects.isEmpty());
        // The view follows the text to its end.
        QVERIFY(box.viewport()->rect().contains(box.cursorRect()));
        const int lineHeight = box.fontMetrics().lineSpacing();
        for (const QRect& r : pane.rects)
            QVERIFY2(r.height() <= 3 * lineHeight, qPrintable(QString::number(r.height())));
        QVERIFY(bar.rects.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!bar.rects.isEmpty(), 1000);
    }

    // A flood's text waits a little for the cut that usually follows, and is shown when none
    // comes.
    void textBoxHoldsLongTextForTheCut()
    {
        TextBox box;
        const QString flood(3 * TextBox::kLongText, u'x');
        append(box, flood);
        QCoreApplication::processEvents(); // a pass due at once would run now
        QVERIFY(box.toPlainText().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(box.toPlainText().size(), flood.size(), 1000);
    }
};

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
