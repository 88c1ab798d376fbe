#include "media/ui/InsertPictureDialog.h"

#include "ui_InsertPictureDialog.h"

#include "media/Lead.h"
#include "media/ui/PicturePreview.h"
#include "platform/Services.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>

namespace orvel {

namespace {

QString ScannedName()
{
    return QString::fromUtf16(kScannedPictureName);
}

} // namespace

InsertPictureDialog::InsertPictureDialog(CLead &receiver, const QString &name, bool embedded,
                                         InsertPictureTarget target, int *filterIndex, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::InsertPictureDialog>())
    , m_receiver(receiver)
    , m_target(target)
    , m_filterIndex(filterIndex != nullptr ? filterIndex : &m_ownFilterIndex)
{
    m_ui->setupUi(this);
    OkButton()->setText(QStringLiteral("OK"));
    m_ui->buttonBox->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &InsertPictureDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_ui->browseButton, &QPushButton::clicked, this, &InsertPictureDialog::browse);
    connect(m_ui->scanButton, &QPushButton::clicked, this, &InsertPictureDialog::scan);
    connect(m_ui->nameEdit, &QLineEdit::editingFinished, this, &InsertPictureDialog::nameEdited);

    m_ui->embedBox->setChecked(embedded);
    if (name.trimmed().isEmpty()) {
        // Nothing to take yet: OK waits for a picture.
        m_ui->nameEdit->setText(name);
        m_shownText = name;
        m_name = name.trimmed();
        showPicture(false);
    } else {
        loadPreview(name);
    }
    m_ui->nameEdit->setFocus();
}

InsertPictureDialog::~InsertPictureDialog() = default;

bool InsertPictureDialog::Embedded() const
{
    return m_ui->embedBox->isChecked();
}

QLineEdit *InsertPictureDialog::NameEdit() const
{
    return m_ui->nameEdit;
}

QCheckBox *InsertPictureDialog::EmbedBox() const
{
    return m_ui->embedBox;
}

QPushButton *InsertPictureDialog::BrowseButton() const
{
    return m_ui->browseButton;
}

QPushButton *InsertPictureDialog::ScanButton() const
{
    return m_ui->scanButton;
}

QPushButton *InsertPictureDialog::OkButton() const
{
    return m_ui->buttonBox->button(QDialogButtonBox::Ok);
}

PicturePreview *InsertPictureDialog::Preview() const
{
    return m_ui->preview;
}

void InsertPictureDialog::browse()
{
    const QString chosen = services().getOpenFileName(LoadQString(ids::kCaptionBrowse),
                                                      LoadQString(ids::kFilterPictures), m_filterIndex);
    if (!chosen.isEmpty())
        loadPreview(chosen);
}

void InsertPictureDialog::nameEdited()
{
    if (m_ui->nameEdit->text() != m_shownText)
        loadPreview(m_ui->nameEdit->text());
}

bool InsertPictureDialog::loadPreview(const QString &text)
{
    // A full path, with the case of its letters as they are: names on Linux
    // are case sensitive.
    const QString trimmed = text.trimmed();
    const QString path = trimmed.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(trimmed).absoluteFilePath());
    CLead &preview = m_ui->preview->Lead();
    const bool loaded = !path.isEmpty() && preview.Load(path) == LeadOk;
    if (!loaded)
        preview.ClearBitmap();
    m_name = path;
    m_ui->nameEdit->setText(path);
    m_shownText = path;
    m_loadFailed = !loaded;
    showPicture(loaded);
    return loaded;
}

void InsertPictureDialog::showPicture(bool shown)
{
    OkButton()->setEnabled(shown);
    if (shown)
        m_ui->preview->FitPicture();
    else
        m_ui->preview->Lead().ForceRepaint();
}

void InsertPictureDialog::scan()
{
    CLead &preview = m_ui->preview->Lead();
    short result = preview.SelectSource();
    if (result == LeadOk) {
        result = preview.Acquire();
        if (result != LeadOk) {
            // The failed acquisition cleared the preview: nothing to take.
            m_loadFailed = true;
            showPicture(false);
        }
    }
    if (result != LeadOk) {
        // The user's own cancel needs no warning about the scanner.
        if (result != LeadScanCancelled)
            MessageBoxById(ids::kMsgScannerProblem);
        return;
    }
    m_name = ScannedName();
    m_ui->nameEdit->setText(m_name);
    m_shownText = m_name;
    m_loadFailed = false;
    if (m_target == InsertPictureTarget::PictureObject)
        m_ui->embedBox->setChecked(true);
    showPicture(true);
}

bool InsertPictureDialog::saveScan()
{
    MessageBoxById(ids::kMsgScanNotEmbedded, MsgIcon::Information);
    int filterIndex = 1;
    const QString path =
            services().getSaveFileName(QStringLiteral("Speichern unter"), QString(), LoadQString(ids::kFilterBitmaps),
                                       &filterIndex, QStringLiteral("bmp"));
    if (path.isEmpty())
        return false;
    short result = LeadOk;
    {
        WaitCursor wait;
        result = m_ui->preview->Lead().Save(path, kPictureFormatWindowsBmp, 8);
    }
    if (result != LeadOk) {
        MessageBoxById(ids::kMsgFileWriteError, MsgIcon::Stop, MsgButtons::Ok, {QDir::toNativeSeparators(path)});
        return false;
    }
    m_name = path;
    m_ui->nameEdit->setText(path);
    m_shownText = path;
    return true;
}

void InsertPictureDialog::accept()
{
    // A name typed and confirmed with Enter is loaded before it is taken.
    if (m_ui->nameEdit->text() != m_shownText && !loadPreview(m_ui->nameEdit->text()))
        return;
    if (!OkButton()->isEnabled())
        return;
    if (m_name == ScannedName() && !Embedded() && !saveScan())
        return;
    if (!m_loadFailed)
        m_receiver.SetBitmap(m_ui->preview->Lead().GetBitmap());
    QDialog::accept();
}

std::optional<InsertPictureResult> RunInsertPictureDialog(QWidget *parent, CLead &receiver, const QString &name,
                                                          bool embedded, InsertPictureTarget target, int *filterIndex)
{
    InsertPictureDialog dialog(receiver, name, embedded, target, filterIndex, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return InsertPictureResult{dialog.FileName(), dialog.Embedded(), dialog.LoadFailed()};
}

} // namespace orvel
