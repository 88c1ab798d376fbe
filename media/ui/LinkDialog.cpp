#include "media/ui/LinkDialog.h"

#include "ui_LinkDialog.h"

#include "media/LinkAction.h"
#include "platform/Codepage.h"
#include "platform/Services.h"
#include "platform/ui/WidgetServices.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

#include <QFileDialog>
#include <QPushButton>
#include <QValidator>

namespace orvel {

namespace {

// The three commas between the parts take their share of a value's bytes.
constexpr int kRoomForParts = kMaxLinkValueLength - 3;

// Text a link part can keep: Windows-1252, and no comma where the comma
// would split the part.
class LinkPartValidator final : public QValidator
{
public:
    LinkPartValidator(bool commaAllowed, QObject *parent)
        : QValidator(parent)
        , m_commaAllowed(commaAllowed)
    {}
    State validate(QString &input, int &) const override
    {
        if (!m_commaAllowed && input.contains(u','))
            return Invalid;
        return IsAnsiRepresentable(input) ? Acceptable : Invalid;
    }

private:
    bool m_commaAllowed;
};

// The file dialog of "...", opened in `folder` when the program shows real
// dialogs; scripted services answer as they are told.
QString chooseFile(QWidget *parent, const QString &folder, int *filterIndex)
{
    const QString title = LoadQString(ids::kCaptionBrowse);
    const QString filter = LoadQString(ids::kFilterAllFiles);
    if (dynamic_cast<WidgetServices *>(&services()) == nullptr)
        return services().getOpenFileName(title, filter, filterIndex);
    QFileDialog dialog(parent, title, folder);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters(WidgetServices::ToNameFilters(filter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

const QStringList &LinkDialog::OfferedActions()
{
    static const QStringList actions{QString::fromLatin1(kDefaultLinkAction), QStringLiteral("explore")};
    return actions;
}

LinkDialog::LinkDialog(const LinkValue &link, const QString &databasePath, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::LinkDialog>())
    , m_databasePath(databasePath)
{
    m_ui->setupUi(this);
    OkButton()->setText(QStringLiteral("OK"));
    m_ui->buttonBox->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_ui->browseButton, &QPushButton::clicked, this, &LinkDialog::Browse);
    m_ui->browseButton->setFixedWidth(m_ui->browseButton->fontMetrics().horizontalAdvance(QStringLiteral("....."))
                                      + 12);

    m_ui->actionCombo->addItems(OfferedActions());
    for (QLineEdit *edit : {m_ui->fileEdit, m_ui->parametersEdit, m_ui->captionEdit})
        edit->setValidator(new LinkPartValidator(false, edit));
    m_ui->actionCombo->lineEdit()->setValidator(new LinkPartValidator(true, m_ui->actionCombo));

    m_ui->fileEdit->setText(AnsiToQString(link.file));
    m_ui->parametersEdit->setText(AnsiToQString(link.parameters));
    m_ui->actionCombo->setEditText(AnsiToQString(link.DialogAction()));
    m_ui->captionEdit->setText(AnsiToQString(link.caption));
    for (QLineEdit *edit : parts())
        connect(edit, &QLineEdit::textChanged, this, &LinkDialog::updateLimits);
    updateLimits();

    m_ui->fileEdit->setFocus();
    m_ui->fileEdit->selectAll();
    setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 64);
}

LinkDialog::~LinkDialog() = default;

QList<QLineEdit *> LinkDialog::parts() const
{
    return {m_ui->fileEdit, m_ui->parametersEdit, m_ui->actionCombo->lineEdit(), m_ui->captionEdit};
}

void LinkDialog::updateLimits()
{
    const QList<QLineEdit *> edits = parts();
    int used = 0;
    for (const QLineEdit *edit : edits)
        used += int(edit->text().size());
    for (QLineEdit *edit : edits)
        edit->setMaxLength(std::max(int(edit->text().size()), kRoomForParts - (used - int(edit->text().size()))));
}

LinkValue LinkDialog::Value() const
{
    LinkValue link;
    link.caption = QStringToAnsi(m_ui->captionEdit->text());
    link.file = QStringToAnsi(m_ui->fileEdit->text());
    link.parameters = QStringToAnsi(m_ui->parametersEdit->text());
    link.action = QStringToAnsi(m_ui->actionCombo->currentText());
    link.separators = 3;
    return link;
}

void LinkDialog::Browse()
{
    const QString chosen = chooseFile(this, LinkBrowseFolder(m_ui->fileEdit->text(), m_databasePath), &m_filterIndex);
    if (chosen.isEmpty())
        return;
    if (chosen.contains(u',') || !IsAnsiRepresentable(chosen)) {
        MessageBoxById(ids::kMsgUnsavableName, MsgIcon::Exclamation, MsgButtons::Ok, {chosen});
        return;
    }
    const int room = m_ui->fileEdit->maxLength();
    if (chosen.size() > room) {
        MessageBoxById(ids::kMsgPathTooLong, MsgIcon::Exclamation, MsgButtons::Ok, {chosen});
        return;
    }
    m_ui->fileEdit->setText(chosen);
    m_ui->fileEdit->setFocus();
}

QLineEdit *LinkDialog::FileEdit() const
{
    return m_ui->fileEdit;
}

QLineEdit *LinkDialog::ParametersEdit() const
{
    return m_ui->parametersEdit;
}

QComboBox *LinkDialog::ActionCombo() const
{
    return m_ui->actionCombo;
}

QLineEdit *LinkDialog::CaptionEdit() const
{
    return m_ui->captionEdit;
}

QPushButton *LinkDialog::BrowseButton() const
{
    return m_ui->browseButton;
}

QPushButton *LinkDialog::OkButton() const
{
    return m_ui->buttonBox->button(QDialogButtonBox::Ok);
}

std::optional<AnsiString> RunLinkDialog(QWidget *parent, AnsiView value, const QString &databasePath)
{
    LinkDialog dialog(LinkValue::Parse(value), databasePath, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Value().Compose();
}

} // namespace orvel
