#pragma once

#include <QDialog>
#include <QString>

#include <memory>
#include <optional>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace Ui {
class InsertPictureDialog;
}

namespace orvel {

class CLead;
class PicturePreview;

// Who the picture is for: a new picture object on the form, or the value of
// a picture field. A scanned picture switches "Grafik einbetten" on for a
// picture object; a picture field keeps its own setting.
enum class InsertPictureTarget { PictureObject, PictureField };

// The name a scanned picture has until it is saved to a file.
inline constexpr char16_t kScannedPictureName[] = u"#Scan#";

// "Grafik einfügen": a picture file, typed or chosen, or a scanned picture,
// shown in the preview before it is taken.
//
// The preview loads the name when it is chosen with "Durchsuchen...", when
// the dialog opens with a name, and when a typed name is left (Enter or
// leaving the field); OK is enabled only while the preview shows a picture.
// OK with a scanned picture that is not embedded asks for a file to save it
// in (message 407 first); cancelling that leaves the dialog open with the
// scan, so that it can still be embedded or saved elsewhere. On OK the
// preview's bitmap is handed to the receiver, unless loading failed.
class InsertPictureDialog : public QDialog
{
    Q_OBJECT
public:
    // `receiver`: the imaging control that gets the picture on OK. `name`:
    // the file shown at first (may be empty). `filterIndex`: the filter
    // chosen last in "Durchsuchen" (1-based), read and updated; may be null.
    InsertPictureDialog(CLead &receiver, const QString &name, bool embedded, InsertPictureTarget target,
                        int *filterIndex, QWidget *parent = nullptr);
    ~InsertPictureDialog() override;

    void accept() override;

    // The results, valid after OK: the full path of the picture file, or
    // kScannedPictureName for a scan that is embedded; whether "Grafik
    // einbetten" is on; whether the picture could not be loaded.
    QString FileName() const { return m_name; }
    bool Embedded() const;
    bool LoadFailed() const { return m_loadFailed; }

    QLineEdit *NameEdit() const;
    QCheckBox *EmbedBox() const;
    QPushButton *BrowseButton() const;
    QPushButton *ScanButton() const;
    QPushButton *OkButton() const;
    PicturePreview *Preview() const;

private:
    void browse();
    void scan();
    void nameEdited();
    // Loads the name into the preview and enables OK when it shows.
    bool loadPreview(const QString &name);
    void showPicture(bool shown);
    // Saves a scanned picture that is not embedded to a file the user
    // chooses; false when the user cancels or the file cannot be written.
    bool saveScan();

    std::unique_ptr<Ui::InsertPictureDialog> m_ui;
    CLead &m_receiver;
    InsertPictureTarget m_target;
    int *m_filterIndex;
    int m_ownFilterIndex = 1;
    QString m_name;
    // The text of the name field the preview shows, to tell a typed name.
    QString m_shownText;
    bool m_loadFailed = false;
};

struct InsertPictureResult
{
    QString fileName;
    bool embedded = false;
    bool loadFailed = false;
};

// Runs the dialog; nothing when the user cancels.
std::optional<InsertPictureResult> RunInsertPictureDialog(QWidget *parent, CLead &receiver, const QString &name,
                                                          bool embedded, InsertPictureTarget target, int *filterIndex);

} // namespace orvel
