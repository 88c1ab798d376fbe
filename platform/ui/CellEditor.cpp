#include "platform/ui/CellEditor.h"

#include "platform/Codepage.h"
#include "table/FieldType.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QRect>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

namespace orvel {

namespace {

bool IsFinishKey(const QKeyEvent *event)
{
    return (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
           && !(event->modifiers() & Qt::ControlModifier);
}

bool IsNavigationKey(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    case Qt::Key_Home:
    case Qt::Key_End:
        return event->modifiers() & Qt::ControlModifier;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    default:
        return false;
    }
}

// The keys both edit variants leave to their host: Enter ends the edit,
// Escape cancels it, the moves go to the host. True when the key was taken.
bool PassKeyToHost(QKeyEvent *event, const CellEditor::Callbacks &callbacks)
{
    if (IsFinishKey(event)) {
        if (callbacks.finished)
            callbacks.finished();
        return true;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (callbacks.cancelled)
            callbacks.cancelled();
        return true;
    }
    return IsNavigationKey(event) && callbacks.navigate && callbacks.navigate(event);
}

Qt::Alignment horizontalAlignment(CellEditor::Align align)
{
    switch (align) {
    case CellEditor::Align::Centre:
        return Qt::AlignHCenter;
    case CellEditor::Align::Right:
        return Qt::AlignRight;
    default:
        return Qt::AlignLeft;
    }
}

// The cell's colours: the window colours of the grid, whatever the desktop
// theme says.
QPalette EditorPalette(QPalette palette)
{
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    return palette;
}

// The stored form of a character count: a line break counts as CR LF.
qsizetype StoredLength(const QString &text)
{
    qsizetype bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i; // becomes one "?"
        bytes += text[i] == u'\n' ? 2 : 1;
    }
    return bytes;
}

// The longest prefix whose stored form fits into `limit` bytes.
QString CutToStoredLength(const QString &text, qsizetype limit)
{
    qsizetype bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype step = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const qsizetype cost = text[i] == u'\n' ? 2 : 1;
        if (bytes + cost > limit)
            break;
        bytes += cost;
        i += step;
    }
    return text.left(i);
}

class LineCellEditor final : public QLineEdit, public CellEditor
{
public:
    LineCellEditor(const Style &style, QWidget *parent, const QFont &font, Callbacks callbacks)
        : QLineEdit(parent)
        , m_style(style)
        , m_callbacks(std::move(callbacks))
    {
        setFrame(false);
        setFont(font);
        setTextMargins(0, 0, 0, 0);
        setContentsMargins(0, 0, 0, 0);
        setMaxLength(kMaxLength);
        setAlignment(horizontalAlignment(style.align) | Qt::AlignTop);
        setPalette(EditorPalette(palette()));
        connect(this, &QLineEdit::textEdited, this, [this] {
            if (m_callbacks.changed)
                m_callbacks.changed();
        });
    }

    QWidget *widget() override { return this; }
    const Style &style() const override { return m_style; }
    AnsiString text() const override { return QStringToAnsi(QLineEdit::text()); }
    void setText(AnsiView text) override
    {
        const QSignalBlocker blocker(this);
        QLineEdit::setText(AnsiToQString(text));
    }
    void selectAll() override { QLineEdit::selectAll(); }
    void insertText(const QString &text) override
    {
        insert(text);
        if (m_callbacks.changed)
            m_callbacks.changed();
    }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (PassKeyToHost(event, m_callbacks))
            return;
        QLineEdit::keyPressEvent(event);
    }
    // Tab moves the grid's current cell, not the focus.
    bool focusNextPrevChild(bool) override { return false; }

private:
    Style m_style;
    Callbacks m_callbacks;
};

class TextCellEditor final : public QPlainTextEdit, public CellEditor
{
public:
    TextCellEditor(const Style &style, QWidget *parent, const QFont &font, Callbacks callbacks)
        : QPlainTextEdit(parent)
        , m_style(style)
        , m_callbacks(std::move(callbacks))
    {
        setFrameShape(QFrame::NoFrame);
        setFont(font);
        setContentsMargins(0, 0, 0, 0);
        setViewportMargins(0, 0, 0, 0);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setLineWrapMode(QPlainTextEdit::WidgetWidth);
        document()->setDocumentMargin(0);
        QTextOption option = document()->defaultTextOption();
        option.setAlignment(horizontalAlignment(style.align));
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        document()->setDefaultTextOption(option);
        setPalette(EditorPalette(palette()));
        connect(this, &QPlainTextEdit::textChanged, this, [this] { onTextChanged(); });
    }

    QWidget *widget() override { return this; }
    const Style &style() const override { return m_style; }

    AnsiString text() const override
    {
        // The raw text keeps no-break spaces, which the plain text would turn
        // into blanks.
        QString raw = document()->toRawText();
        for (QChar &c : raw) {
            if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
                c = u'\n';
        }
        AnsiString ansi;
        for (const char c : QStringToAnsi(raw)) {
            if (c == '\n')
                ansi += '\r';
            ansi += c;
        }
        return ansi;
    }

    void setText(AnsiView text) override
    {
        QString shown = AnsiToQString(text);
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        shown.replace(u'\r', u'\n');
        const QSignalBlocker blocker(this);
        setPlainText(shown);
    }

    void selectAll() override
    {
        QTextCursor cursor = textCursor();
        cursor.movePosition(QTextCursor::Start);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        setTextCursor(cursor);
        ensureCursorVisible();
    }

    void insertText(const QString &text) override { insertPlainText(text); }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (!(m_style.enterBreaksLine && IsFinishKey(event)) && PassKeyToHost(event, m_callbacks))
            return;
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            // Ctrl+Enter breaks the line (plain Enter ends the edit).
            insertPlainText(QStringLiteral("\n"));
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }

private:
    void onTextChanged()
    {
        const QString shown = toPlainText();
        if (StoredLength(shown) > kMaxLength) {
            // Pasted text beyond the limit: keep what fits, caret at the end.
            const QSignalBlocker blocker(this);
            setPlainText(CutToStoredLength(shown, kMaxLength));
            moveCursor(QTextCursor::End);
        }
        if (m_callbacks.changed)
            m_callbacks.changed();
    }

    Style m_style;
    Callbacks m_callbacks;
};

} // namespace

CellEditor::Style CellEditor::StyleFor(int fieldType, int rowLines)
{
    Style style;
    style.align = fieldType == FT_NUMERIC ? Align::Right : Align::Left;
    style.multiLine = fieldType == FT_NUMERIC || rowLines > 1;
    return style;
}

std::unique_ptr<CellEditor> CellEditor::Create(const Style &style, QWidget *parent, const QFont &font,
                                               Callbacks callbacks)
{
    if (style.multiLine)
        return std::make_unique<TextCellEditor>(style, parent, font, std::move(callbacks));
    return std::make_unique<LineCellEditor>(style, parent, font, std::move(callbacks));
}

QRect CellEditor::EditRectForCell(const QRect &cell)
{
    // Offset by two pixels, right and bottom edges kept.
    return QRect(QPoint(cell.left() + 2, cell.top() + 2), cell.bottomRight());
}

} // namespace orvel
