#include "media/ui/InsertObjectDialog.h"

#include "platform/Services.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

#include "ui_InsertObjectDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>

namespace orvel {

InsertObjectDialog::InsertObjectDialog(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::InsertObjectDialog>())
{
    m_ui->setupUi(this);
    for (const NewDocumentType &type : NewDocumentTypes()) {
        auto *entry = new QListWidgetItem(type.label, m_ui->typeList);
        entry->setData(Qt::UserRole, int(type.kind));
    }
    m_ui->typeList->setCurrentRow(0);
    connect(m_ui->newRadio, &QRadioButton::toggled, this, &InsertObjectDialog::updateState);
    connect(m_ui->fileRadio, &QRadioButton::toggled, this, &InsertObjectDialog::updateState);
    connect(m_ui->typeList, &QListWidget::currentRowChanged, this, &InsertObjectDialog::updateState);
    connect(m_ui->typeList, &QListWidget::itemDoubleClicked, this, &InsertObjectDialog::accept);
    connect(m_ui->fileEdit, &QLineEdit::textChanged, this, &InsertObjectDialog::updateState);
    connect(m_ui->linkBox, &QCheckBox::toggled, this, &InsertObjectDialog::updateState);
    connect(m_ui->browseButton, &QPushButton::clicked, this, &InsertObjectDialog::browse);
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &InsertObjectDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &InsertObjectDialog::reject);
    updateState();
}

InsertObjectDialog::~InsertObjectDialog() = default;

QRadioButton *InsertObjectDialog::NewRadio() const
{
    return m_ui->newRadio;
}
QRadioButton *InsertObjectDialog::FileRadio() const
{
    return m_ui->fileRadio;
}
QListWidget *InsertObjectDialog::TypeList() const
{
    return m_ui->typeList;
}
QLineEdit *InsertObjectDialog::FileEdit() const
{
    return m_ui->fileEdit;
}
QPushButton *InsertObjectDialog::BrowseButton() const
{
    return m_ui->browseButton;
}
QCheckBox *InsertObjectDialog::LinkBox() const
{
    return m_ui->linkBox;
}
QLabel *InsertObjectDialog::ResultLabel() const
{
    return m_ui->resultLabel;
}
QPushButton *InsertObjectDialog::OkButton() const
{
    return m_ui->buttons->button(QDialogButtonBox::Ok);
}

InsertObjectChoice InsertObjectDialog::Choice() const
{
    InsertObjectChoice choice;
    choice.fromFile = m_ui->fileRadio->isChecked();
    if (const QListWidgetItem *entry = m_ui->typeList->currentItem())
        choice.kind = NewDocumentKind(entry->data(Qt::UserRole).toInt());
    const QString typed = m_ui->fileEdit->text().trimmed();
    choice.path = typed.isEmpty() ? QString() : QFileInfo(QDir::fromNativeSeparators(typed)).absoluteFilePath();
    choice.linked = m_ui->linkBox->isChecked();
    return choice;
}

void InsertObjectDialog::browse()
{
    int filterIndex = 1;
    const QString chosen = services().getOpenFileName(LoadQString(ids::kCaptionBrowse),
                                                      LoadQString(ids::kFilterAllFiles), &filterIndex);
    if (!chosen.isEmpty())
        m_ui->fileEdit->setText(QDir::toNativeSeparators(chosen));
}

void InsertObjectDialog::updateState()
{
    const bool fromFile = m_ui->fileRadio->isChecked();
    m_ui->pages->setCurrentWidget(fromFile ? m_ui->filePage : m_ui->newPage);
    const InsertObjectChoice choice = Choice();
    QString result;
    bool ready = true;
    if (!fromFile) {
        const NewDocumentType &type = NewDocumentTypeOf(choice.kind);
        result = QStringLiteral("Fügt ein neues, leeres Dokument „%1“ ein. Es wird in seinem Programm geöffnet, "
                                "wo Sie es bearbeiten können.")
                         .arg(type.fileName);
    } else if (choice.path.isEmpty()) {
        result = QStringLiteral("Geben Sie die Datei an, die eingefügt werden soll.");
        ready = false;
    } else if (choice.linked) {
        result = QStringLiteral("Fügt eine Verknüpfung mit der Datei ein. Die Datenbank speichert nur ihren Namen; "
                                "Änderungen an der Datei zeigt das Objekt.");
    } else {
        result = QStringLiteral("Fügt den Inhalt der Datei als eingebettetes Dokument ein. Die Datenbank speichert "
                                "eine eigene Kopie; die Datei selbst bleibt unverändert.");
    }
    m_ui->resultLabel->setText(result);
    if (QPushButton *ok = OkButton())
        ok->setEnabled(ready);
}

void InsertObjectDialog::accept()
{
    const InsertObjectChoice choice = Choice();
    if (choice.fromFile) {
        if (choice.path.isEmpty())
            return;
        const QFileInfo info(choice.path);
        if (!info.exists() || info.isDir()) {
            MessageBoxById(ids::kMsgFileNotFound, MsgIcon::Exclamation, MsgButtons::Ok,
                           {QDir::toNativeSeparators(choice.path)});
            m_ui->fileEdit->setFocus();
            return;
        }
        if (!choice.linked && info.size() > kLargeEmbeddedFileSize
            && MessageBoxById(ids::kMsgMemoFileLarge, MsgIcon::Question, MsgButtons::YesNo,
                              {QDir::toNativeSeparators(choice.path), MegabytesText(info.size())})
                       != MsgResult::Yes)
            return;
    }
    QDialog::accept();
}

std::optional<InsertObjectChoice> RunInsertObjectDialog(QWidget *parent)
{
    InsertObjectDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Choice();
}

} // namespace orvel
