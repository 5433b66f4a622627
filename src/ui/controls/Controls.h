#pragma once

// Thin adapters over Qt widgets that give the behaviour the handlers rely on: Click raised at
// once when code sets a selection, timers that do not restart when enabled again, labels with
// OLE colours, panels found by key. The terminal pane, the text box, has files of its own.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QList>
#include <QPointer>
#include <QRadioButton>
#include <QSizeGrip>
#include <QTimer>

#include "ui/controls/OleColor.h"
#include "ui/controls/TerminalPane.h"
#include "ui/controls/Twips.h"

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
    // The label that names the array, which a screen reader says on entering it.
    QWidget* groupLabel() const { return m_groupLabel; }
signals:
    // An arrow key asks for the next (+1) or previous (-1) button of the array.
    void Step(int step);

protected:
    void nextCheckState() override {}
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class OptionArray;
    QPointer<QWidget> m_groupLabel;
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
    // The label that names the array as a whole.
    void setGroupLabel(QWidget* label);
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

protected:
    // The access key clicks at once, without taking the focus first: the focus is the
    // handler's to place, and a screen reader would otherwise read the state before the click.
    bool event(QEvent* event) override;
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
    // A label whose every new caption a screen reader reads out at once, wherever the focus
    // is (a notification): for instructions to the operator.
    bool announces() const { return m_announces; }
    void setAnnounces(bool on) { m_announces = on; }
signals:
    void captionChanged();

private:
    bool m_announces = false;
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

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Panel {
        QString key;
        QLabel* label;
        int width; // pixels; the least width for the panel that takes what is left
        bool stretch;
    };
    void placePanels();
    QList<Panel> m_panels;
    QSizeGrip* m_grip;
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
