#pragma once

// The terminal pane, txtTerm: a text box whose text is counted as the terminal counts it, that
// answers an arrival at once and streams cheaply.
//
// Text. The receive path and the Edit menu work on `Text`, `Length`, `SelStart`, `SelLength` and
// `SelText`, where a line break is two characters (CR LF) and every other character is one. The
// document holds a line break as one block separator, and each control byte and each of the
// code page's five unassigned bytes as one stand-in from the Control Pictures block
// (U+2400-U+2426), so that every byte stays one character of its own (`toDisplay`,
// `fromDisplay`). Those pictures are unreadable at the pane's size, so `paintEvent` draws each as
// its caret-notation letter (ESC '[', NUL '@', DEL '?'; the unassigned bytes in lower case,
// 0x81 'a') in white on a dark cell. A tab shows as a tab.
//
// Collected text. Text set at the end (`SelStart` = `Length`, then `SelText`) is collected in
// `m_pending` instead of going into the document. Every operation sees it in place: `Text` and
// `Length` count it, a trim from the front (`SelStart` 0, `SelLength`, `SelText` "") cuts it
// without laying it out, and any other operation, or the user's key, click or input method,
// lays it out first (`flush`).
//
// Cadence. Text that arrives after the pane has been quiet for kQuietMs (an echoed key, a
// prompt) is laid out as soon as the event loop runs, and painted with it. While text keeps
// streaming, a pass lays out everything collected at most every kPassMs, and moves the view
// once, by all the lines that came. A pass costs about the same for one line as for ten (the
// view moves its pixels, then paints the new strip), so fewer passes are most of the saving on a
// steady line. Collected text over kLongText characters waits up to kLongPassMs after the last
// pass, for the trim that the next chunk of a flood brings. `passDue` is emitted just before a
// scheduled pass lays out, so that the window can hand it what waits on the line: while a slow
// stream goes on, the window reads the line once per pass (`msToPass` says when).
//
// Qt internals overridden, and why:
// - `PaneLayout`, the document layout, a `QPlainTextDocumentLayout`: for a small append at the
//   end it updates only the blocks the append touched, where Qt's own repaints the whole view for
//   every append ending in a line break; and blocks that have been laid out keep their shaped
//   glyphs (`setCacheEnabled`), so a repaint does not shape the visible lines again.
// - `PaneScrollBar`: while a pass runs its repaint waits kDeferredRepaintMs, together with the
//   changes that follow: the range changes with every line, and Fusion's groove costs more to
//   paint than the line.
// - `paintEvent`: the stand-ins' letters over the text Qt has drawn.
// - `canInsertFromMimeData` and `insertFromMimeData`: every paste (Ctrl+V, Shift+Insert, the
//   context menu, the middle button, a drop) puts plain text in, shown as received text is, its
//   line ends as line breaks. Qt's own crashes on an empty clipboard under X11 (Qt 6.4).
// - `eventFilter` on the pane and its viewport: a key, a click or input-method text from the user
//   lays out collected text first and ends the insertion point's stay at the end.

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>

#include <memory>

class StandInLetters;

// The terminal pane's vertical scroll bar. While deferring, a change repaints it only after
// kDeferredRepaintMs, together with the changes that follow.
class PaneScrollBar : public QScrollBar {
    Q_OBJECT
public:
    static constexpr int kDeferredRepaintMs = 500;
    explicit PaneScrollBar(QWidget* parent = nullptr);
    void setDeferring(bool deferring);

protected:
    void sliderChange(SliderChange change) override;

private:
    bool m_deferring = false;
    QTimer m_repaint;
};

class TextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int kQuietMs = 100;
    static constexpr int kPassMs = 80;
    static constexpr int kLongPassMs = 100;
    static constexpr qsizetype kLongText = 65536; // characters
    explicit TextBox(QWidget* parent = nullptr);
    ~TextBox() override;
    QString Text() const;
    void setText(const QString& text);
    int Length() const;
    int SelStart() const;
    void setSelStart(int start);
    int SelLength() const;
    void setSelLength(int length);
    QString SelText() const;
    void setSelText(const QString& text);

    // The text as stored in the document, and back.
    static QString toDisplay(const QString& text);
    static QString fromDisplay(const QString& shown);

    // Puts the collected text into the document now: one pass.
    void flush();
    // Passes that laid out collected text so far.
    int passes() const { return m_passes; }
    // Milliseconds until the scheduled pass, or -1 when none is scheduled.
    int msToPass() const { return m_passTimer.isActive() ? m_passTimer.remainingTime() : -1; }

signals:
    // A scheduled pass is about to lay out what has been collected; text set now is in it.
    void passDue();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Draws each stand-in in `area` as a letter on a coloured cell.
    void paintStandIns(const QRect& area);
    // Schedules the pass that lays out what has been collected.
    void schedulePass();
    int toDocument(int position, bool roundUp = false) const;
    int fromDocument(int position) const;
    int documentLength() const;
    // The cursor stands at the end of the document with nothing selected.
    bool insertionPointAtEnd() const;
    // Removes the first `length` characters without laying out collected text.
    void cutFront(int length);

    PaneScrollBar* m_scrollBar;
    QString m_pending;    // appended at the end, not yet in the document (terminal form)
    int m_frontCut = -1;  // a selection from the start, kept aside while text is collected
    bool m_atEnd = false; // the insertion point was put at the end with nothing selected
    QTimer m_passTimer;
    QElapsedTimer m_lastPass;
    QElapsedTimer m_lastArrival; // the last text collected
    int m_passes = 0;
    std::unique_ptr<StandInLetters> m_letters; // laid out for the stand-ins' cell size
};
