#include "form/ui/FillPropPage.h"

#include "ui_FillPropPage.h"

#include "form/ui/ColorSwatch.h"
#include "platform/Services.h"

namespace orvel {

FillPropPage::FillPropPage(bool fill, COLORREF color, QWidget *parent)
    : PropertyPage(parent)
    , m_ui(std::make_unique<Ui::FillPropPage>())
    , m_color(color)
{
    m_ui->setupUi(this);
    m_ui->fillBox->setChecked(fill);
    showFill();
    connect(m_ui->fillBox, &QCheckBox::toggled, this, &FillPropPage::showFill);
    connect(m_ui->changeButton, &QPushButton::clicked, this, &FillPropPage::changeColor);
}

FillPropPage::~FillPropPage() = default;

bool FillPropPage::Fill() const
{
    return m_ui->fillBox->isChecked();
}

void FillPropPage::showFill()
{
    const bool fill = Fill();
    m_ui->colorGroup->setEnabled(fill);
    m_ui->colorPreview->SetColor(fill ? m_color : kUnfilledPreview);
}

void FillPropPage::changeColor()
{
    if (const std::optional<uint32_t> color = services().chooseColor(m_color)) {
        m_color = *color;
        showFill();
    }
}

QCheckBox *FillPropPage::FillBox() const
{
    return m_ui->fillBox;
}

QGroupBox *FillPropPage::ColorGroup() const
{
    return m_ui->colorGroup;
}

ColorSwatch *FillPropPage::ColorPreview() const
{
    return m_ui->colorPreview;
}

QAbstractButton *FillPropPage::ChangeButton() const
{
    return m_ui->changeButton;
}

} // namespace orvel
