#include "form/ui/CFieldPropDlg.h"

#include "ui_CFieldPropDlg.h"

#include "platform/Codepage.h"
#include "platform/Nls.h"
#include "platform/Services.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "table/DataTable.h"
#include "table/FieldType.h"
#include "table/ValueFormat.h"

#include <QButtonGroup>
#include <QDate>

namespace orvel {

namespace {

constexpr int kDateFormats = 7; // the system's and six pictures

// Today's date as each date format shows it; the system's with "(System)".
QStringList DateFormatSamples()
{
    const QByteArray today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd")).toLatin1();
    const AnsiString stored(today.constData(), std::size_t(today.size()));
    QStringList samples;
    AnsiString buffer;
    for (int format = 0; format < kDateFormats; ++format) {
        QString sample = AnsiToQString(FormatDateDisplay(stored, format, CurrentLocale(), buffer));
        if (format == 0)
            sample += u' ' + LoadQString(ids::kDateFormatSystem);
        samples << sample;
    }
    return samples;
}

} // namespace

CFieldPropDlg::CFieldPropDlg(const CDataTable &table, int existing, const FieldDefinition &definition, QWidget *parent)
    : PropertyPage(parent)
    , m_ui(std::make_unique<Ui::CFieldPropDlg>())
    , m_table(table)
    , m_existing(existing)
    , m_originalType(definition.type)
    , m_confirmedType(definition.type)
{
    m_ui->setupUi(this);
    auto *types = new QButtonGroup(this);
    for (int type = 0; type < kFieldTypeCount; ++type)
        types->addButton(TypeButton(type), type);
    connect(types, &QButtonGroup::idClicked, this, [this](int type) { setType(type); });

    const QString name = AnsiToQString(definition.name);
    // A longer name from a file is shown whole; the check on leaving says
    // what is too long.
    m_ui->nameEdit->setMaxLength(std::max<int>(kMaxFieldNameLength, int(name.size())));
    m_ui->nameEdit->setText(name);
    m_ui->framedBox->setChecked(definition.framed);
    m_ui->showNameBox->setChecked(definition.showFieldName);
    m_ui->embedBox->setChecked(definition.embedded);
    m_ui->defaultEdit->setText(AnsiToQString(definition.defaultValue));
    m_ui->decimalsSpin->setValue(std::clamp(definition.decimals, 0, 9));
    m_ui->dateFormatList->addItems(DateFormatSamples());
    // All formats at a glance, whatever the font.
    QListWidget *dates = m_ui->dateFormatList;
    dates->setMinimumHeight(dates->sizeHintForRow(0) * kDateFormats + 2 * dates->frameWidth());
    m_ui->dateFormatList->setCurrentRow(std::clamp(definition.dateFormat, 0, kDateFormats - 1));

    // An existing field keeps to its group of types.
    if (m_existing >= 0) {
        for (int type = 0; type < kFieldTypeCount; ++type)
            TypeButton(type)->setEnabled(CanChangeFieldType(m_originalType, type));
    }
    setType(IsValidFieldType(definition.type) ? definition.type : FT_TEXT);
    m_ui->nameEdit->setFocus();
    m_ui->nameEdit->selectAll();
}

CFieldPropDlg::~CFieldPropDlg() = default;

void CFieldPropDlg::setType(int type)
{
    TypeButton(type)->setChecked(true);
    updateControls();
}

int CFieldPropDlg::Type() const
{
    for (int type = 0; type < kFieldTypeCount; ++type) {
        if (TypeButton(type)->isChecked())
            return type;
    }
    return FT_TEXT;
}

void CFieldPropDlg::updateControls()
{
    const int type = Type();
    QWidget *page = m_ui->nothingPage;
    if (type == FT_NUMERIC)
        page = m_ui->decimalsPage;
    else if (type == FT_DATE)
        page = m_ui->datePage;
    else if (type == FT_PICTURE)
        page = m_ui->embedPage;
    m_ui->propertiesStack->setCurrentWidget(page);
    // An existing picture field keeps where its pictures are.
    m_ui->embedBox->setEnabled(m_existing < 0);
    m_ui->framedBox->setEnabled(type != FT_MEMO && type != FT_LINK);
    m_ui->defaultLabel->setEnabled(IsDataType(type));
    m_ui->defaultEdit->setEnabled(IsDataType(type));
    m_ui->showNameBox->setEnabled(type != FT_MEMO);
}

FieldDefinition CFieldPropDlg::Value() const
{
    FieldDefinition definition;
    definition.name = QStringToAnsi(m_ui->nameEdit->text());
    definition.type = Type();
    definition.decimals = m_ui->decimalsSpin->value();
    definition.dateFormat = std::max(0, m_ui->dateFormatList->currentRow());
    definition.defaultValue = IsDataType(definition.type) ? QStringToAnsi(m_ui->defaultEdit->text()) : AnsiString();
    definition.framed = m_ui->framedBox->isChecked();
    definition.showFieldName = m_ui->showNameBox->isChecked();
    definition.embedded = m_ui->embedBox->isChecked();
    return definition;
}

bool CFieldPropDlg::OnKillActive()
{
    const int type = Type();
    if (m_existing >= 0 && type != m_originalType && type != m_confirmedType) {
        if (MessageBoxById(ids::kMsgConfirmTypeChange, MsgIcon::Exclamation, MsgButtons::YesNo) != MsgResult::Yes) {
            setType(m_originalType);
            return false;
        }
        m_confirmedType = type;
    }
    const QString name = m_ui->nameEdit->text();
    QWidget *culprit = m_ui->nameEdit;
    int message = 0;
    if (!IsAnsiRepresentable(name)) {
        message = ids::kMsgFieldNameCharacters;
    } else {
        message = CheckFieldDefinition(m_table, m_existing, Value());
        if (message == ids::kMsgDefaultValueUnreadable)
            culprit = m_ui->defaultEdit;
    }
    if (message == 0)
        return true;
    MessageBoxById(message, message == ids::kMsgDuplicateFieldName ? MsgIcon::Stop : MsgIcon::Exclamation);
    culprit->setFocus();
    if (auto *edit = qobject_cast<QLineEdit *>(culprit))
        edit->selectAll();
    return false;
}

QLineEdit *CFieldPropDlg::NameEdit() const
{
    return m_ui->nameEdit;
}

QAbstractButton *CFieldPropDlg::TypeButton(int type) const
{
    switch (type) {
    case FT_NUMERIC:
        return m_ui->typeNumeric;
    case FT_DATE:
        return m_ui->typeDate;
    case FT_PICTURE:
        return m_ui->typePicture;
    case FT_MEMO:
        return m_ui->typeMemo;
    case FT_OLE:
        return m_ui->typeOle;
    case FT_LINK:
        return m_ui->typeLink;
    default:
        return m_ui->typeText;
    }
}

QCheckBox *CFieldPropDlg::FramedBox() const
{
    return m_ui->framedBox;
}

QCheckBox *CFieldPropDlg::ShowNameBox() const
{
    return m_ui->showNameBox;
}

QLineEdit *CFieldPropDlg::DefaultEdit() const
{
    return m_ui->defaultEdit;
}

QSpinBox *CFieldPropDlg::DecimalsSpin() const
{
    return m_ui->decimalsSpin;
}

QListWidget *CFieldPropDlg::DateFormatList() const
{
    return m_ui->dateFormatList;
}

QCheckBox *CFieldPropDlg::EmbedBox() const
{
    return m_ui->embedBox;
}

QWidget *CFieldPropDlg::NoPropertiesLabel() const
{
    return m_ui->noPropertiesLabel;
}

} // namespace orvel
