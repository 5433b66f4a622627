#include "Controls.h"

#include "Accessibility.h"

#include "runtime/RuntimeError.h"

#include <algorithm>

#include <QKeyEvent>
#include <QSizeGrip>

#include <utility>

// ComboBox ---------------------------------------------------------------------------------

ComboBox::ComboBox(QWidget* parent) : QComboBox(parent)
{
    installAccessibility();
    setEditable(false);
    connect(this, &QComboBox::activated, this, &ComboBox::Click);
}

void ComboBox::setListIndex(int index)
{
    if (index < -1 || index >= count())
        throw RuntimeError(Err::InvalidArgument);
    setCurrentIndex(index);
    if (index >= 0)
        emit Click();
}

void ComboBox::RemoveItem(int index)
{
    if (index < 0 || index >= count())
        throw RuntimeError(Err::InvalidArgument);
    removeItem(index);
}

// OptionArray ------------------------------------------------------------------------------

OptionButton::OptionButton(const QString& caption, QWidget* parent) : QRadioButton(caption, parent)
{
    installAccessibility();
}

void OptionButton::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
        emit Step(-1);
        break;
    case Qt::Key_Down:
    case Qt::Key_Right:
        emit Step(1);
        break;
    default:
        QRadioButton::keyPressEvent(event);
    }
}

OptionButton* OptionArray::add(const QString& caption, QWidget* container)
{
    auto* button = new OptionButton(caption, container);
    button->setAutoExclusive(false);
    const int index = int(m_buttons.size());
    m_buttons.append(button);
    connect(button, &QAbstractButton::clicked, this, [this, index] { setValue(index, true); });
    connect(button, &OptionButton::Step, this, [this, index](int step) {
        const int next = (index + step + count()) % count();
        m_buttons.at(next)->setFocus(Qt::TabFocusReason);
        setValue(next, true);
    });
    updateTabStops();
    return button;
}

void OptionArray::setGroupLabel(QWidget* label)
{
    for (OptionButton* button : std::as_const(m_buttons))
        button->m_groupLabel = label;
}

void OptionArray::updateTabStops()
{
    const bool anySelected = std::any_of(m_buttons.cbegin(), m_buttons.cend(),
                                         [](const OptionButton* b) { return b->isChecked(); });
    for (OptionButton* button : std::as_const(m_buttons)) {
        const bool stop = anySelected ? button->isChecked() : button == m_buttons.first();
        button->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
    }
}

void OptionArray::setValue(int index, bool value)
{
    OptionButton* button = m_buttons.at(index);
    if (!value) {
        button->setChecked(false);
        updateTabStops();
        return;
    }
    if (button->isChecked())
        return;
    for (OptionButton* other : std::as_const(m_buttons))
        if (other != button)
            other->setChecked(false);
    button->setChecked(true);
    updateTabStops();
    emit Click(index);
}

// CheckBox ---------------------------------------------------------------------------------

CheckBox::CheckBox(const QString& caption, QWidget* parent) : QCheckBox(caption, parent)
{
    installAccessibility();
    connect(this, &QCheckBox::toggled, this, &CheckBox::Click);
}

bool CheckBox::event(QEvent* event)
{
    if (event->type() == QEvent::Shortcut && isEnabled()) {
        click();
        return true;
    }
    return QCheckBox::event(event);
}

// Label ------------------------------------------------------------------------------------

Label::Label(const QString& caption, QWidget* parent) : QLabel(parent)
{
    installAccessibility();
    setAutoFillBackground(true);
    setTextFormat(Qt::PlainText);
    setCaption(caption);
}

void Label::setCaption(const QString& caption)
{
    m_caption = caption;
    setText(QString(caption).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    if (m_announces && !caption.isEmpty())
        announce(this);
    emit captionChanged();
}

void Label::setBackColor(quint32 ole)
{
    m_backColor = ole;
    QPalette pal = palette();
    pal.setColor(QPalette::Window, OleColor::toColor(ole));
    setPalette(pal);
}

void Label::setToolTipText(const QString& tip)
{
    m_toolTip = tip;
    setToolTip(plainToolTip(tip));
}

void Label::setBorder()
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
}

// Timer ------------------------------------------------------------------------------------

Timer::Timer(int intervalMs, bool enabled, QObject* parent) : QObject(parent)
{
    m_timer.setInterval(intervalMs);
    connect(&m_timer, &QTimer::timeout, this, &Timer::Tick);
    setEnabled(enabled);
}

void Timer::setEnabled(bool enabled)
{
    // QTimer::start() restarts a running countdown; an enabled timer must keep it.
    if (enabled && !m_timer.isActive()) {
        m_dozing = false;
        m_timer.start();
    } else if (!enabled) {
        m_dozing = false;
        m_timer.stop();
    }
}

void Timer::doze()
{
    if (m_timer.isActive()) {
        m_timer.stop();
        m_dozing = true;
    }
}

void Timer::wake()
{
    if (m_dozing)
        setEnabled(true);
}

// StatusBar --------------------------------------------------------------------------------

StatusBar::StatusBar(QWidget* parent) : QFrame(parent), m_grip(new QSizeGrip(this))
{
    installAccessibility();
}

QLabel* StatusBar::addPanel(const QString& key, const QString& text, int width, int minWidth,
                            bool stretch)
{
    auto* panel = new QLabel(text, this);
    panel->setObjectName(key);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setIndent(2);
    m_panels.append({key, panel, twips(stretch ? minWidth : width), stretch});
    placePanels();
    return panel;
}

void StatusBar::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    placePanels();
}

void StatusBar::placePanels()
{
    // Placed by hand rather than by a layout: a layout would measure every panel's text again
    // each time the clock panel changes, once a second.
    constexpr int kSpacing = 2;
    const QSize grip = m_grip->sizeHint();
    int fixed = 0;
    for (const Panel& p : std::as_const(m_panels))
        fixed += (p.stretch ? 0 : p.width) + kSpacing;
    int x = 0;
    for (const Panel& p : std::as_const(m_panels)) {
        const int w = p.stretch ? qMax(p.width, width() - grip.width() - fixed) : p.width;
        p.label->setGeometry(x, 0, w, height());
        x += w + kSpacing;
    }
    m_grip->setGeometry(width() - grip.width(), height() - grip.height(), grip.width(),
                        grip.height());
}

QLabel* StatusBar::Panels(const QString& key) const
{
    for (const Panel& p : m_panels)
        if (p.key == key)
            return p.label;
    throw RuntimeError(Err::InvalidArgument);
}

QList<QLabel*> StatusBar::panelList() const
{
    QList<QLabel*> panels;
    for (const Panel& p : m_panels)
        panels.append(p.label);
    return panels;
}

// ClientArea -------------------------------------------------------------------------------

void ClientArea::dockBottom(QWidget* bar)
{
    m_docked = bar;
    placeDocked();
}

void ClientArea::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeDocked();
}

void ClientArea::placeDocked()
{
    if (m_docked)
        m_docked->setGeometry(0, height() - m_docked->height(), width(), m_docked->height());
}
