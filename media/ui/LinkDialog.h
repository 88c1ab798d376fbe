#pragma once

#include "media/LinkValue.h"

#include <QDialog>
#include <QString>

#include <memory>
#include <optional>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace Ui {
class LinkDialog;
}

namespace orvel {

// "Verknüpfung": the file name (with "..." to choose it), the parameters,
// the action and the caption of a link field's value. Caption, file name
// and parameters cannot hold a comma, which separates the parts in the
// stored value, and together the four parts fit the 255 bytes of a value.
class LinkDialog : public QDialog
{
    Q_OBJECT
public:
    // The actions offered; any other can be typed.
    static const QStringList &OfferedActions();

    // `databasePath` decides where "..." starts for a relative file name.
    LinkDialog(const LinkValue &link, const QString &databasePath, QWidget *parent = nullptr);
    ~LinkDialog() override;

    // The value as the dialog shows it now: "caption,file,parameters,action".
    LinkValue Value() const;

    QLineEdit *FileEdit() const;
    QLineEdit *ParametersEdit() const;
    QComboBox *ActionCombo() const;
    QLineEdit *CaptionEdit() const;
    QPushButton *BrowseButton() const;
    QPushButton *OkButton() const;

    // "...": a file dialog in the folder of the file named; a name that a
    // value cannot hold (a comma, characters beyond Windows-1252) is
    // refused with message 531, one that leaves no room with 537.
    void Browse();

private:
    QList<QLineEdit *> parts() const;
    // Each part may grow only as far as the others leave room.
    void updateLimits();

    std::unique_ptr<Ui::LinkDialog> m_ui;
    QString m_databasePath;
    int m_filterIndex = 1;
};

// "&Verknüpfung ändern...": the dialog on `value`; the new value, or nothing
// when the user cancels.
std::optional<AnsiString> RunLinkDialog(QWidget *parent, AnsiView value, const QString &databasePath);

} // namespace orvel
