#pragma once

#include "document/PageSettings.h"
#include "platform/AnsiString.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <optional>

class QPushButton;

namespace Ui {
class MemoDialog;
}

namespace orvel {

class MemoEdit;

// "Memofeld": the whole text of one memo in an editor, with "&Text
// einlesen..." (a text file inserted at the caret), "Text als &Datei
// speichern..." (the text written to a UTF-8 file), "&Drucken..." (the text
// printed with the database's page setup) and OK. Escape or closing the
// window leaves the memo as it was.
class MemoDialog : public QDialog
{
    Q_OBJECT
public:
    // `memo` is the stored text (Windows-1252, CR LF line ends); `page` the
    // database's page setup, which printing uses.
    MemoDialog(AnsiView memo, const PageSettings &page, QWidget *parent = nullptr);
    ~MemoDialog() override;

    // The memo as it is to be stored: exactly the bytes the dialog was
    // opened with while the text has not changed.
    AnsiString Memo() const;
    bool IsChanged() const;

    // "&Text einlesen...": the open dialog, then InsertTextFile.
    void ReadTextFile();
    // Reads the file (asking first when it does not look like text or is
    // larger than 16 MiB), converts it from UTF-8 or Windows-1252, puts it
    // in place of the selection and says which characters the memo cannot
    // hold. False when nothing was inserted (cancelled, message 504).
    bool InsertTextFile(const QString &path);
    // "Text als &Datei speichern...": the save dialog, then WriteTextFile.
    void SaveTextFile();
    // Writes the text to `path` as UTF-8, replacing the file only once the
    // new one is complete. False after message 503.
    bool WriteTextFile(const QString &path) const;
    // "&Drucken...".
    void Print();

    MemoEdit *Editor() const;
    QPushButton *OkButton() const;
    QPushButton *ReadButton() const;
    QPushButton *SaveButton() const;
    QPushButton *PrintButton() const;

private:
    std::unique_ptr<Ui::MemoDialog> m_ui;
    AnsiString m_original;
    QString m_shown;
    PageSettings m_page;
};

// Opens the memo dialog on `memo`; the text to store after OK, nothing when
// the dialog was closed otherwise.
std::optional<AnsiString> RunMemoDialog(QWidget *parent, AnsiView memo, const PageSettings &page);

} // namespace orvel
