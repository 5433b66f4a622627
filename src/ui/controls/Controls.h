#pragma once

// Thin adapters over Qt widgets that give the behaviour the handlers rely on: Click raised at
// once when code sets a selection, timers that do not restart when enabled again, a text box
// that counts a line break as two characters, labels with OLE colours, panels found by key.

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QLabel>
#include <QList>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>

// Pixels from twips (15 twips to a device-independent pixel).
constexpr int twips(int value)
{
    return value >= 0 ? (value + 7) / 15 : -((-value + 7) / 15);
}
// Twips from pixels.
constexpr int twipsOf(int pixels)
{
    return pixels * 15;
}
// Places a widget in its container, position and size given in twips.
void placeTwips(QWidget* w, int left, int top, int width, int height);
inline void placeTwips(QWidget* w, const QRect& r)
{
    placeTwips(w, r.x(), r.y(), r.width(), r.height());
}
// Widens a control whose design width is too narrow for its caption in the window font.
void widenToFit(QWidget* w);

// OLE colours the program uses.
namespace OleColor {
constexpr quint32 ButtonFace = 0x8000000F;
constexpr quint32 Yellow = 0x0000FFFF;
} // namespace OleColor

// A pick-only drop-down list. Setting ListIndex raises Click at once, nested; a user pick
// raises it too.
class ComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit ComboBox(QWidget* parent = nullptr);
    QString List(int index) const { return itemText(index); }
    int ListCount() const { return count(); }
    int ListIndex() const { return currentIndex(); }
    void setListIndex(int index);
    void AddItem(const QString& text) { addItem(text); }
    void RemoveItem(int index);
signals:
    void Click();
};

// One option button of an array; it never changes its own state on a click, the array does.
class OptionButton : public QRadioButton {
    Q_OBJECT
public:
    OptionButton(const QString& caption, QWidget* parent);
signals:
    // An arrow key asks for the next (+1) or previous (-1) button of the array.
    void Step(int step);

protected:
    void nextCheckState() override {}
    void keyPressEvent(QKeyEvent* event) override;
};

// An option-button array sharing one Click handler that receives the element's index.
// Setting Value true on an unselected element (or a user click on it) selects it, deselects
// the others and raises Click(index) at once. The array is one stop in the tab order, at its
// selected button; an arrow key moves the focus to the next button, wrapping round, and selects
// it as a click does.
class OptionArray : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    OptionButton* add(const QString& caption, QWidget* container);
    OptionButton* operator()(int index) const { return m_buttons.at(index); }
    int count() const { return int(m_buttons.size()); }
    bool Value(int index) const { return m_buttons.at(index)->isChecked(); }
    void setValue(int index, bool value);
signals:
    void Click(int index);

private:
    // Only the selected button takes the focus by Tab.
    void updateTabStops();
    QList<OptionButton*> m_buttons;
};

// A check box whose Value (0 or 1) raises Click whenever it changes, from code or the user.
class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckBox(const QString& caption, QWidget* parent = nullptr);
    int Value() const { return isChecked() ? 1 : 0; }
    void setValue(int value) { setChecked(value != 0); }
signals:
    void Click();
};

// A label with Caption, ToolTipText and an OLE BackColor.
class Label : public QLabel {
    Q_OBJECT
public:
    explicit Label(const QString& caption = QString(), QWidget* parent = nullptr);
    QString Caption() const { return m_caption; }
    // A line break is CR LF in the caption, shown as a line break.
    void setCaption(const QString& caption);
    QString ToolTipText() const { return m_toolTip; }
    // Shown as it stands, never as markup.
    void setToolTipText(const QString& tip);
    quint32 BackColor() const { return m_backColor; }
    void setBackColor(quint32 ole);
    // A single-line border, as the value labels have.
    void setBorder();

private:
    quint32 m_backColor = OleColor::ButtonFace;
    QString m_caption;
    QString m_toolTip;
};

// A timer with Interval and Enabled. Enabling a running timer keeps its countdown.
class Timer : public QObject {
    Q_OBJECT
public:
    Timer(int intervalMs, bool enabled, QObject* parent = nullptr);
    int Interval() const { return m_timer.interval(); }
    void setInterval(int ms) { m_timer.setInterval(ms); }
    bool Enabled() const { return m_timer.isActive() || m_dozing; }
    void setEnabled(bool enabled);
    // Stops the countdown while its ticks would change nothing, without switching the timer
    // off; wake() starts a fresh interval.
    void doze();
    void wake();
signals:
    void Tick();

private:
    QTimer m_timer;
    bool m_dozing = false;
};

// The terminal pane's vertical scroll bar. While deferring, a change repaints it only after
// kDeferredRepaintMs, together with the changes that follow: text streaming in changes its range
// with every line, and a repaint costs more than the line.
class PaneScrollBar : public QScrollBar {
    Q_OBJECT
public:
    static constexpr int kDeferredRepaintMs = 100;
    explicit PaneScrollBar(QWidget* parent = nullptr);
    void setDeferring(bool deferring);

protected:
    void sliderChange(SliderChange change) override;

private:
    bool m_deferring = false;
    QTimer m_repaint;
};

// The terminal pane. Its text is counted as the terminal counts it: a line break is two
// characters (CR LF) and every other character is one. Control characters and the code page's
// unassigned bytes are shown with a stand-in of one character, drawn as a letter on a coloured
// cell; a tab shows as a tab.
//
// Text appended at the end is collected and laid out when the event loop next runs, at most once
// every kFlushMs: laying out a long line again for each small append would otherwise cost about
// a millisecond each time, and a flood would lay out text that the next trim throws away. Every
// operation sees the collected text as if it were in place.
class TextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int kFlushMs = 15;
    static constexpr int kLongFlushMs = 100;
    static constexpr qsizetype kLongText = 65536; // characters
    explicit TextBox(QWidget* parent = nullptr);
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

    // Puts the collected text into the document now.
    void flush();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    // Draws each control-byte stand-in in `area` as a letter on a coloured cell.
    void paintStandIns(const QRect& area);
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
    QTimer m_flushTimer;
    QElapsedTimer m_lastFlush;
};

// A status bar with panels found by key.
class StatusBar : public QFrame {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr);
    // Adds a panel; widths in twips.
    QLabel* addPanel(const QString& key, const QString& text, int width, int minWidth,
                     bool stretch);
    // The panel with this key; error 5 for an unknown key.
    QLabel* Panels(const QString& key) const;
    // The panels, left to right.
    QList<QLabel*> panelList() const;

private:
    QList<std::pair<QString, QLabel*>> m_panels;
    QHBoxLayout* m_layout;
};

// A window's client area: controls placed by position, and one bar docked to the bottom edge
// across the full width.
class ClientArea : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    void dockBottom(QWidget* bar);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placeDocked();
    QWidget* m_docked = nullptr;
};
