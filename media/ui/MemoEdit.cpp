#include "media/ui/MemoEdit.h"

#include "platform/Codepage.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextDocument>

namespace orvel {

QString WithStorableCharacters(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u == u'\n' || u == u'\r' || u == QChar::ParagraphSeparator || u == QChar::LineSeparator
            || UnicodeToAnsiChar(u) >= 0) {
            out += QChar(u);
            continue;
        }
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode()))
            ++i;
        out += u'?';
    }
    return out;
}

MemoEdit::MemoEdit(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on to the buttons, as in every dialog.
    setTabChangesFocus(true);
}

QString MemoEdit::Text() const
{
    QString raw = document()->toRawText();
    for (QChar &c : raw) {
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u'\n';
    }
    return raw;
}

void MemoEdit::keyPressEvent(QKeyEvent *event)
{
    const QString typed = event->text();
    if (!typed.isEmpty() && typed.front().isPrint() && !(event->modifiers() & Qt::ControlModifier)) {
        const QString storable = WithStorableCharacters(typed);
        if (storable != typed) {
            insertPlainText(storable);
            event->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MemoEdit::inputMethodEvent(QInputMethodEvent *event)
{
    const QString commit = event->commitString();
    const QString storable = WithStorableCharacters(commit);
    if (storable == commit) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent fixed(event->preeditString(), event->attributes());
    fixed.setCommitString(storable, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&fixed);
    event->accept();
}

void MemoEdit::insertFromMimeData(const QMimeData *source)
{
    if (source == nullptr || !source->hasText())
        return;
    // Text from other systems may end its lines with CR LF or CR.
    QString text = source->text();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    insertPlainText(WithStorableCharacters(text));
}

} // namespace orvel
