#include "Controls.h"

#include "Accessibility.h"

#include "runtime/RuntimeError.h"

#include <algorithm>

#include <QKeyEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QPlainTextDocumentLayout>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QSizeGrip>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <utility>

void placeTwips(QWidget* w, int left, int top, int width, int height)
{
    w->setGeometry(twips(left), twips(top), twips(width), twips(height));
}

void widenToFit(QWidget* w)
{
    w->resize(qMax(w->width(), w->sizeHint().width()), w->height());
}

// ComboBox ---------------------------------------------------------------------------------

ComboBox::ComboBox(QWidget* parent) : QComboBox(parent)
{
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
}

void Label::setBackColor(quint32 ole)
{
    m_backColor = ole;
    QPalette pal = palette();
    QColor color;
    if (ole & 0x80000000u) {
        // A system colour; the program only uses the button face.
        color = QPalette().color(QPalette::Button);
    } else {
        color = QColor(int(ole & 0xFF), int((ole >> 8) & 0xFF), int((ole >> 16) & 0xFF));
    }
    pal.setColor(QPalette::Window, color);
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

// TextBox ----------------------------------------------------------------------------------

namespace {
constexpr char16_t kControlPictures = 0x2400; // U+2400..U+241F stand for 0x00..0x1F
constexpr char16_t kDeletePicture = 0x2421;
// The code page's five unassigned bytes, each with a picture of its own from the same block.
constexpr char16_t kUnassigned[] = {0x81, 0x8D, 0x8F, 0x90, 0x9D};
constexpr char16_t kUnassignedPictures = 0x2422; // U+2422..U+2426
constexpr char16_t kReplacement = 0xFFFD;        // any other C1 character (pasted, never received)

// The letter drawn over a stand-in, or 0 for an ordinary character. The control pictures are
// unreadable at the pane's size (ESC draws as a smudge), so each is shown as its caret-notation
// letter (ESC as '[', NUL as '@', DEL as '?') on a dark cell; the unassigned bytes show the
// lower-case companion of the same notation (0x81 as 'a', 0x9D as '}') on a cell of another
// colour, so that every byte value reads differently.
char16_t standInLetter(char16_t shown)
{
    if (shown >= kControlPictures && shown < kControlPictures + 0x20)
        return char16_t(shown - kControlPictures + 0x40);
    if (shown == kDeletePicture)
        return u'?';
    if (shown >= kUnassignedPictures && shown < kUnassignedPictures + std::size(kUnassigned))
        return char16_t(kUnassigned[shown - kUnassignedPictures] - 0x20);
    return 0;
}

// The pane's document layout. A small append at the end changes only the blocks it lands in, so
// only those are repainted: the plain-text layout repaints the whole view whenever an append
// ends in a line break. Blocks that have been laid out keep their shaped glyphs, so that a
// repaint does not shape the visible lines again.
class PaneLayout : public QPlainTextDocumentLayout {
public:
    using QPlainTextDocumentLayout::QPlainTextDocumentLayout;

    QRectF blockBoundingRect(const QTextBlock& block) const override
    {
        if (block.isValid())
            block.layout()->setCacheEnabled(true);
        return QPlainTextDocumentLayout::blockBoundingRect(block);
    }

protected:
    void documentChanged(int from, int removed, int added) override
    {
        constexpr int kSmallAppend = 4096; // characters; larger changes repaint the whole view
        const QTextDocument* doc = document();
        const int blocksBefore = std::exchange(m_blockCount, doc->blockCount());
        if (blocksBefore < 0 || removed != 0 || added <= 0 || added > kSmallAppend ||
            from + added != doc->characterCount() - 1) {
            QPlainTextDocumentLayout::documentChanged(from, removed, added);
            return;
        }
        const QTextBlock first = doc->findBlock(from);
        const qreal heightBefore = blockBoundingRect(first).height();
        {
            const QSignalBlocker quiet(this);
            QPlainTextDocumentLayout::documentChanged(from, removed, added);
        }
        if (doc->blockCount() != blocksBefore || blockBoundingRect(first).height() != heightBefore)
            emit documentSizeChanged(documentSize());
        for (QTextBlock b = first; b.isValid(); b = b.next())
            emit updateBlock(b);
    }

private:
    int m_blockCount = -1; // as of the last change; unknown before the first
};
} // namespace

PaneScrollBar::PaneScrollBar(QWidget* parent) : QScrollBar(Qt::Vertical, parent)
{
    m_repaint.setSingleShot(true);
    m_repaint.setInterval(kDeferredRepaintMs);
    connect(&m_repaint, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

void PaneScrollBar::setDeferring(bool deferring)
{
    m_deferring = deferring;
}

void PaneScrollBar::sliderChange(SliderChange change)
{
    if (!m_deferring || isSliderDown()) {
        m_repaint.stop();
        QScrollBar::sliderChange(change);
    } else if (!m_repaint.isActive()) {
        m_repaint.start();
    }
}

TextBox::TextBox(QWidget* parent) : QPlainTextEdit(parent)
{
    auto* doc = new QTextDocument(this);
    doc->setDocumentLayout(new PaneLayout(doc));
    setDocument(doc);
    setVerticalScrollBar(m_scrollBar = new PaneScrollBar);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUndoRedoEnabled(false);
    setTabChangesFocus(true); // Tab walks the window; it never types into the pane
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setTimerType(Qt::PreciseTimer);
    m_lastFlush.start();
    connect(&m_flushTimer, &QTimer::timeout, this, &TextBox::flush);
    // The selection stays highlighted when the focus leaves the pane.
    QPalette pal = palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight,
                 pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(pal);
}

QString TextBox::toDisplay(const QString& text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') {
            out += u'\n';
            ++i;
        } else if (c < 0x20 && c != u'\t') {
            out += QChar(char16_t(kControlPictures + c));
        } else if (c == 0x7F) {
            out += QChar(kDeletePicture);
        } else if (c >= 0x80 && c < 0xA0) {
            const auto* it = std::find(std::begin(kUnassigned), std::end(kUnassigned), c);
            out += QChar(it == std::end(kUnassigned)
                             ? kReplacement
                             : char16_t(kUnassignedPictures + (it - std::begin(kUnassigned))));
        } else {
            out += QChar(c);
        }
    }
    return out;
}

QString TextBox::fromDisplay(const QString& shown)
{
    QString out;
    out.reserve(shown.size() + shown.size() / 16);
    for (QChar ch : shown) {
        const char16_t c = ch.unicode();
        if (c == u'\n' || c == QChar::ParagraphSeparator)
            out += QStringLiteral("\r\n");
        else if (c >= kControlPictures && c < kControlPictures + 0x20)
            out += QChar(char16_t(c - kControlPictures));
        else if (c == kDeletePicture)
            out += QChar(char16_t(0x7F));
        else if (c >= kUnassignedPictures && c < kUnassignedPictures + std::size(kUnassigned))
            out += QChar(kUnassigned[c - kUnassignedPictures]);
        else
            out += ch;
    }
    return out;
}

void TextBox::flush()
{
    m_flushTimer.stop();
    m_lastFlush.restart();
    if (m_pending.isEmpty())
        return;
    // The scroll bar follows the appended text at its own slower pace.
    m_scrollBar->setDeferring(true);
    const auto resume = qScopeGuard([this] { m_scrollBar->setDeferring(false); });
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(toDisplay(m_pending));
    m_pending.clear();
    if (const int cut = std::exchange(m_frontCut, -1); cut >= 0) {
        cursor.setPosition(0); // the selection kept aside, now in the document
        cursor.setPosition(toDocument(cut, true), QTextCursor::KeepAnchor);
    } else if (insertionPointAtEnd()) {
        // The insertion point moved along with the text: setting it again would only repaint
        // it and send its change signals once more.
        ensureCursorVisible();
        return;
    }
    setTextCursor(cursor); // the insertion point at the end, in view
}

void TextBox::cutFront(int length)
{
    const int inDocument = documentLength();
    QTextCursor cursor(document());
    if (length < inDocument) {
        cursor.setPosition(toDocument(length, true), QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        return;
    }
    // All of the laid-out text goes, and the front of the collected text, which so is never
    // laid out. A line break is never cut in half.
    qsizetype rest = length - inDocument;
    if (rest > 0 && rest < m_pending.size() && m_pending[rest - 1] == u'\r' &&
        m_pending[rest] == u'\n')
        ++rest;
    if (inDocument > 0) {
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
    m_pending.remove(0, rest);
    if (m_pending.capacity() > 4 * m_pending.size() + 65536)
        m_pending.squeeze(); // a flood's event leaves no large buffer behind
}

void TextBox::paintEvent(QPaintEvent* event)
{
    QPlainTextEdit::paintEvent(event);
    paintStandIns(event->rect());
}

void TextBox::paintStandIns(const QRect& area)
{
    QPainter painter(viewport());
    const QTextCursor cursor = textCursor();
    const int insertionPoint = getPaintContext().cursorPosition; // -1 while it blinks off
    const QPointF offset = contentOffset();
    QFont letterFont;
    letterFont.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("FreeSans")});
    letterFont.setStyleHint(QFont::SansSerif);
    letterFont.setBold(true);
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF bounds = blockBoundingGeometry(block).translated(offset);
        if (bounds.top() > area.bottom())
            break;
        if (bounds.bottom() < area.top() || !block.isVisible())
            continue;
        const QString text = block.text();
        const QTextLayout* layout = block.layout();
        for (int i = 0; i < text.size(); ++i) {
            const char16_t letter = standInLetter(text[i].unicode());
            if (letter == 0)
                continue;
            const QTextLine line = layout->lineForTextPosition(i);
            if (!line.isValid())
                continue;
            const qreal left = line.cursorToX(i);
            const QRectF cell(bounds.left() + left, bounds.top() + line.y(),
                              line.cursorToX(i + 1) - left, line.height());
            const int position = block.position() + i;
            const bool selected =
                position >= cursor.selectionStart() && position < cursor.selectionEnd();
            const bool unassigned = letter >= u'a' || letter == u'}';
            painter.fillRect(cell, selected     ? palette().color(QPalette::Highlight)
                                   : unassigned ? QColor(0x8a, 0x2c, 0x0c)
                                                : QColor(0x1f, 0x4e, 0x79));
            // A plain bold letter of most of the line's height, narrowed to fit the cell.
            const QString shown(QChar{letter});
            letterFont.setPixelSize(qMax(6, int(cell.height() * 0.8)));
            const qreal advance = QFontMetricsF(letterFont).horizontalAdvance(shown);
            if (advance > cell.width())
                letterFont.setPixelSize(qMax(5, int(letterFont.pixelSize() * cell.width() / advance)));
            painter.setFont(letterFont);
            painter.setPen(selected ? palette().color(QPalette::HighlightedText) : Qt::white);
            painter.drawText(cell, Qt::AlignCenter, shown);
            if (position == insertionPoint) // the cell covered it
                painter.fillRect(QRectF(cell.topLeft(), QSizeF(cursorWidth(), cell.height())),
                                 palette().color(QPalette::Text));
        }
    }
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    flush();
    m_atEnd = false; // the user moves the insertion point
    QPlainTextEdit::keyPressEvent(event);
}

void TextBox::mousePressEvent(QMouseEvent* event)
{
    flush();
    m_atEnd = false; // the user moves the insertion point
    QPlainTextEdit::mousePressEvent(event);
}

void TextBox::inputMethodEvent(QInputMethodEvent* event)
{
    flush();
    m_atEnd = false; // the user moves the insertion point
    QPlainTextEdit::inputMethodEvent(event);
}

QString TextBox::Text() const
{
    return fromDisplay(toPlainText()) + m_pending;
}

void TextBox::setText(const QString& text)
{
    m_frontCut = -1;
    m_pending.clear();
    m_flushTimer.stop();
    m_atEnd = false;
    setPlainText(toDisplay(text));
    moveCursor(QTextCursor::Start);
}

bool TextBox::insertionPointAtEnd() const
{
    const QTextCursor cursor = textCursor();
    return !cursor.hasSelection() && cursor.position() == document()->characterCount() - 1;
}

int TextBox::documentLength() const
{
    // Each block separator is one character in the document and two in the terminal's count.
    const QTextDocument* doc = document();
    return doc->characterCount() - 1 + doc->blockCount() - 1;
}

int TextBox::Length() const
{
    return documentLength() + int(m_pending.size());
}

int TextBox::toDocument(int position, bool roundUp) const
{
    if (position >= documentLength()) // the end, where the receive path appends
        return document()->characterCount() - 1;
    int terminal = 0, doc = 0;
    for (QTextBlock b = document()->begin(); b.isValid(); b = b.next()) {
        const int len = b.length() - 1;
        if (position <= terminal + len)
            return doc + (position - terminal);
        if (!b.next().isValid())
            break;
        // A position between CR and LF falls before the line break, or after it when a
        // selection ends there: a line break is never cut in half.
        if (position < terminal + len + 2)
            return doc + len + (roundUp ? 1 : 0);
        terminal += len + 2;
        doc += len + 1;
    }
    return document()->characterCount() - 1;
}

int TextBox::fromDocument(int position) const
{
    return position + document()->findBlock(position).blockNumber();
}

int TextBox::SelStart() const
{
    if (m_frontCut >= 0)
        return 0;
    return m_pending.isEmpty() ? fromDocument(textCursor().selectionStart()) : Length();
}

void TextBox::setSelStart(int start)
{
    m_frontCut = -1;
    if (start == 0 && !m_pending.isEmpty()) {
        // The start of a cut from the front (the receive path's trim): kept aside, so that
        // collected text the cut removes is never laid out.
        m_frontCut = 0;
        m_atEnd = false;
        return;
    }
    if (start >= Length()) {
        // At the end: appends may be collected; the cursor moves when they are laid out.
        m_atEnd = true;
        // Moving the cursor repaints it, so it is moved only when it is not at the end already.
        if (m_pending.isEmpty() && !insertionPointAtEnd())
            moveCursor(QTextCursor::End);
        return;
    }
    flush();
    m_atEnd = false;
    QTextCursor cursor = textCursor();
    cursor.setPosition(toDocument(qMax(0, start)));
    setTextCursor(cursor);
}

int TextBox::SelLength() const
{
    if (m_frontCut >= 0)
        return m_frontCut;
    if (!m_pending.isEmpty())
        return 0;
    const QTextCursor cursor = textCursor();
    return fromDocument(cursor.selectionEnd()) - fromDocument(cursor.selectionStart());
}

void TextBox::setSelLength(int length)
{
    if (m_frontCut >= 0) {
        m_frontCut = qMin(qMax(0, length), Length());
        return;
    }
    flush();
    m_atEnd = false;
    QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    const int end = toDocument(fromDocument(start) + qMax(0, length), true);
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

QString TextBox::SelText() const
{
    if (m_frontCut >= 0)
        return Text().left(m_frontCut);
    return m_pending.isEmpty() ? fromDisplay(textCursor().selectedText()) : QString();
}

void TextBox::setSelText(const QString& text)
{
    if (m_frontCut >= 0 && text.isEmpty()) {
        cutFront(std::exchange(m_frontCut, -1));
        return;
    }
    if (m_atEnd) {
        m_pending += text;
        // Laid out as soon as the event loop runs, unless the last layout was less than
        // kFlushMs ago: then kFlushMs after it. A slow line shows each chunk at once, a flood
        // is laid out at most every kFlushMs. Collected text far beyond what the pane keeps
        // waits until kLongFlushMs after the last layout, for the cut that the next chunk
        // usually brings; a flood of such chunks is still shown at least that often.
        if (m_pending.size() > kLongText) {
            m_flushTimer.start(
                int(qBound(qint64(0), kLongFlushMs - m_lastFlush.elapsed(), qint64(kLongFlushMs))));
        } else if (!m_flushTimer.isActive()) {
            m_flushTimer.start(
                int(qBound(qint64(0), kFlushMs - m_lastFlush.elapsed(), qint64(kFlushMs))));
        }
        return;
    }
    flush();
    QTextCursor cursor = textCursor();
    if (text.isEmpty())
        cursor.removeSelectedText();
    else
        cursor.insertText(toDisplay(text));
    setTextCursor(cursor);
}

// StatusBar --------------------------------------------------------------------------------

StatusBar::StatusBar(QWidget* parent) : QFrame(parent), m_layout(new QHBoxLayout(this))
{
    installAccessibility();
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_layout->setSpacing(2);
    m_layout->addWidget(new QSizeGrip(this), 0, Qt::AlignRight | Qt::AlignBottom);
}

QLabel* StatusBar::addPanel(const QString& key, const QString& text, int width, int minWidth,
                            bool stretch)
{
    auto* panel = new QLabel(text, this);
    panel->setObjectName(key);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setIndent(2);
    panel->setMinimumWidth(twips(minWidth));
    if (stretch)
        panel->resize(twips(width), panel->height());
    else
        panel->setFixedWidth(twips(width));
    // Panels stand left to right before the size grip; the first takes any extra width.
    m_layout->insertWidget(int(m_panels.size()), panel, stretch ? 1 : 0);
    m_panels.append({key, panel});
    return panel;
}

QLabel* StatusBar::Panels(const QString& key) const
{
    for (const auto& [k, panel] : m_panels)
        if (k == key)
            return panel;
    throw RuntimeError(Err::InvalidArgument);
}

QList<QLabel*> StatusBar::panelList() const
{
    QList<QLabel*> panels;
    for (const auto& entry : m_panels)
        panels.append(entry.second);
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
