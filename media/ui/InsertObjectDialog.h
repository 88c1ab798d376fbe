#pragma once

#include "media/EmbeddedDocument.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace Ui {
class InsertObjectDialog;
}

namespace orvel {

// What "Objekt einfügen" chose: a new, empty document of a kind, or a file,
// embedded (its bytes are kept) or linked (only its path is kept).
struct InsertObjectChoice
{
    bool fromFile = false;
    NewDocumentKind kind = NewDocumentKind::PlainText;
    // The absolute path of the file.
    QString path;
    bool linked = false;
};

// "Objekt einfügen": "Neu erstellen" with the list of document types, or
// "Aus Datei erstellen" with a file name, "Durchsuchen..." and "Verknüpfen".
// "Ergebnis" describes what OK will insert. OK refuses a file that is not
// there (526) and asks before embedding a file above 64 MB (558).
class InsertObjectDialog : public QDialog
{
    Q_OBJECT
public:
    explicit InsertObjectDialog(QWidget *parent = nullptr);
    ~InsertObjectDialog() override;

    void accept() override;
    InsertObjectChoice Choice() const;

    QRadioButton *NewRadio() const;
    QRadioButton *FileRadio() const;
    QListWidget *TypeList() const;
    QLineEdit *FileEdit() const;
    QPushButton *BrowseButton() const;
    QCheckBox *LinkBox() const;
    QLabel *ResultLabel() const;
    QPushButton *OkButton() const;

private:
    void browse();
    void updateState();

    std::unique_ptr<Ui::InsertObjectDialog> m_ui;
};

// Runs the dialog; nothing when it was cancelled.
std::optional<InsertObjectChoice> RunInsertObjectDialog(QWidget *parent);

} // namespace orvel
