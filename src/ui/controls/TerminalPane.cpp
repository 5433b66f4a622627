#include "TerminalPane.h"

#include <QEvent>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QPlainTextDocumentLayout>
#include <QStaticText>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

using namespace Qt::StringLiterals;

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
    // At the edge, as a terminal does: looking for a word boundary costs seconds on a line of
    // tens of thousands of characters without one (438 ms against 21 ms for 64,000), and a
    // flood's event brings that much.
    setWordWrapMode(QTextOption::WrapAnywhere);
    // Left to right, as the unit writes: left to Qt, the direction of a block is looked up by
    // scanning it for a letter that has one, on every cursor-to-x question, and a block of
    // stand-ins and garbage has none (4,000 of them cost 160-270 ms a paint).
    QTextOption option = doc->defaultTextOption();
    option.setTextDirection(Qt::LeftToRight);
    doc->setDefaultTextOption(option);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUndoRedoEnabled(false);
    setTabChangesFocus(true); // Tab walks the window; it never types into the pane
    m_passTimer.setSingleShot(true);
    m_passTimer.setTimerType(Qt::PreciseTimer);
    m_lastPass.start();
    connect(&m_passTimer, &QTimer::timeout, this, [this] {
        emit passDue();
        flush();
    });
    // The user's keys, clicks and input-method text (the clicks arrive on the viewport).
    installEventFilter(this);
    viewport()->installEventFilter(this);
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
    m_passTimer.stop();
    if (m_pending.isEmpty())
        return;
    m_lastPass.restart();
    ++m_passes;
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

// The letters drawn over stand-ins: a plain bold letter of most of the line's height, narrowed
// where it is wider than its cell, each laid out once and kept while the cell's size stays.
class StandInLetters {
public:
    StandInLetters(qreal lineHeight, qreal cellWidth) : m_height(lineHeight), m_width(cellWidth)
    {
        m_font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("FreeSans")});
        m_font.setStyleHint(QFont::SansSerif);
        m_font.setBold(true);
        m_font.setPixelSize(qMax(6, int(lineHeight * 0.8)));
    }

    bool fits(const QRectF& cell) const
    {
        return cell.height() == m_height && cell.width() == m_width;
    }

    void draw(QPainter& painter, const QRectF& cell, char16_t letter)
    {
        Letter& l = m_letters[letter & 0x7F];
        if (l.text.text().isEmpty()) {
            const QString shown(QChar{letter});
            l.font = m_font;
            const qreal advance = QFontMetricsF(m_font).horizontalAdvance(shown);
            if (advance > m_width)
                l.font.setPixelSize(qMax(5, int(m_font.pixelSize() * m_width / advance)));
            l.text.setText(shown);
            l.text.setTextFormat(Qt::PlainText);
            l.text.prepare(QTransform(), l.font);
        }
        painter.setFont(l.font);
        const QSizeF size = l.text.size();
        painter.drawStaticText(cell.center() - QPointF(size.width() / 2, size.height() / 2),
                               l.text);
    }

private:
    struct Letter {
        QStaticText text;
        QFont font;
    };
    qreal m_height, m_width;
    QFont m_font;
    std::array<Letter, 128> m_letters;
};

TextBox::~TextBox() = default;

void TextBox::paintStandIns(const QRect& area)
{
    QPainter painter(viewport());
    const QTextCursor cursor = textCursor();
    const int selectionStart = cursor.selectionStart(), selectionEnd = cursor.selectionEnd();
    const int insertionPoint = getPaintContext().cursorPosition; // -1 while it blinks off
    const QPointF offset = contentOffset();
    // Only the lines inside the area: a blink repaints a sliver, and a block of stand-ins can be
    // thousands of characters long.
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF bounds = blockBoundingGeometry(block).translated(offset);
        if (bounds.top() > area.bottom())
            break;
        if (bounds.bottom() < area.top() || !block.isVisible())
            continue;
        const QString text = block.text();
        const QTextLayout* layout = block.layout();
        for (int l = 0; l < layout->lineCount(); ++l) {
            const QTextLine line = layout->lineAt(l);
            const qreal top = bounds.top() + line.y();
            if (top > area.bottom())
                break;
            if (top + line.height() < area.top())
                continue;
            const int end = qMin(line.textStart() + line.textLength(), int(text.size()));
            for (int i = line.textStart(); i < end; ++i) {
                const char16_t letter = standInLetter(text[i].unicode());
                if (letter == 0)
                    continue;
                const qreal left = line.cursorToX(i);
                const QRectF cell(bounds.left() + left, top, line.cursorToX(i + 1) - left,
                                  line.height());
                if (!m_letters || !m_letters->fits(cell))
                    m_letters = std::make_unique<StandInLetters>(cell.height(), cell.width());
                const int position = block.position() + i;
                const bool selected = position >= selectionStart && position < selectionEnd;
                const bool unassigned = letter >= u'a'; // lower case, and '}'
                painter.fillRect(cell, selected     ? palette().color(QPalette::Highlight)
                                       : unassigned ? QColor(0x8a, 0x2c, 0x0c)
                                                    : QColor(0x1f, 0x4e, 0x79));
                painter.setPen(selected ? palette().color(QPalette::HighlightedText) : Qt::white);
                m_letters->draw(painter, cell, letter);
                if (position == insertionPoint) // the cell covered it
                    painter.fillRect(QRectF(cell.topLeft(), QSizeF(cursorWidth(), cell.height())),
                                     palette().color(QPalette::Text));
            }
        }
    }
}

bool TextBox::canInsertFromMimeData(const QMimeData* source) const
{
    return source && source->hasText();
}

void TextBox::insertFromMimeData(const QMimeData* source)
{
    if (!canInsertFromMimeData(source))
        return; // an empty clipboard, an image: nothing to put in
    QString text = source->text();
    text.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n').replace(u"\n"_s, u"\r\n"_s);
    m_atEnd = false; // in place of the selection, not after text still collected
    setSelText(text);
}

bool TextBox::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::InputMethod:
        flush();
        m_atEnd = false; // the user moves the insertion point
        break;
    default:
        break;
    }
    return QPlainTextEdit::eventFilter(watched, event);
}

QString TextBox::Text() const
{
    return fromDisplay(toPlainText()) + m_pending;
}

void TextBox::setText(const QString& text)
{
    m_frontCut = -1;
    m_pending.clear();
    m_passTimer.stop();
    m_atEnd = false;
    setPlainText(toDisplay(text));
    moveCursor(QTextCursor::Start);
}

void TextBox::schedulePass()
{
    const bool quiet = !m_lastArrival.isValid() || m_lastArrival.elapsed() >= kQuietMs;
    m_lastArrival.restart();
    const auto after = [this](int interval) {
        return int(qBound(qint64(0), interval - m_lastPass.elapsed(), qint64(interval)));
    };
    if (m_pending.size() > kLongText)
        m_passTimer.start(after(kLongPassMs)); // a flood: wait for the cut the next chunk brings
    else if (quiet)
        m_passTimer.start(0); // an echo or a prompt: shown as soon as the event loop runs
    else if (!m_passTimer.isActive())
        m_passTimer.start(after(kPassMs));
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
        schedulePass();
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
