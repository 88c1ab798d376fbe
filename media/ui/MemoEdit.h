#pragma once

#include <QPlainTextEdit>

namespace orvel {

// The text editor of the memo dialog: a plain text editor that wraps at
// the window's width and takes Enter as a line break. What is typed, pasted,
// dropped or composed reaches the text with "?" in place of every character
// that Windows-1252 cannot hold, so that the editor shows what the memo
// will store.
class MemoEdit : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit MemoEdit(QWidget *parent = nullptr);

    // The text with its line breaks as "\n" and no-break spaces kept (the
    // plain text would turn them into blanks).
    QString Text() const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
};

// `text` with "?" in place of each character (a surrogate pair counts as
// one) that Windows-1252 cannot hold; line breaks stay.
QString WithStorableCharacters(const QString &text);

} // namespace orvel
