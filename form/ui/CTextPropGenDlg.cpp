#include "form/ui/CTextPropGenDlg.h"

#include "ui_CTextPropGenDlg.h"

#include "form/ObjectProperties.h"
#include "platform/Services.h"
#include "platform/ui/FontSampleButton.h"

namespace orvel {
namespace {

QColor ToQColor(COLORREF color)
{
    return {GetRValue(color), GetGValue(color), GetBValue(color)};
}

} // namespace

CTextPropGenDlg::CTextPropGenDlg(const TextFormat &format, QWidget *parent)
    : PropertyPage(parent)
    , m_ui(std::make_unique<Ui::CTextPropGenDlg>())
    , m_format(format)
{
    m_ui->setupUi(this);
    // Room for a face name and its size on one line.
    m_ui->fontDescription->setMinimumWidth(m_ui->fontDescription->fontMetrics().averageCharWidth() * 30);
    if (QAbstractButton *button = AlignmentButton(format.alignment))
        button->setChecked(true);
    connect(m_ui->chooseButton, &QPushButton::clicked, this, &CTextPropGenDlg::chooseFont);

    m_pointSize = ScreenPointSize(m_format.font, logicalDpiY());
    showFont();
}

CTextPropGenDlg::~CTextPropGenDlg() = default;

TextFormat CTextPropGenDlg::Value() const
{
    TextFormat format = m_format;
    // An alignment no button stands for (from a file) stays until one is
    // chosen.
    for (int alignment = 0; alignment < 3; ++alignment) {
        if (AlignmentButton(alignment)->isChecked())
            format.alignment = alignment;
    }
    return format;
}

void CTextPropGenDlg::chooseFont()
{
    const std::optional<ChosenFont> chosen = services().chooseFont(m_format.font, m_format.color);
    if (!chosen)
        return;
    m_format.font = chosen->font;
    m_format.color = chosen->color;
    m_pointSize = FontPointSizeFromTenths(chosen->pointSizeTenths);
    showFont();
}

void CTextPropGenDlg::showFont()
{
    m_ui->fontDescription->setText(orvel::FontDescription(m_format.font, m_pointSize));
    // The sample stands upright, whatever the angle of the text.
    m_ui->sampleButton->SetSample(m_format.font, ToQColor(m_format.color));
}

QLabel *CTextPropGenDlg::FontDescription() const
{
    return m_ui->fontDescription;
}

QAbstractButton *CTextPropGenDlg::SampleButton() const
{
    return m_ui->sampleButton;
}

QAbstractButton *CTextPropGenDlg::ChooseButton() const
{
    return m_ui->chooseButton;
}

QAbstractButton *CTextPropGenDlg::AlignmentButton(int alignment) const
{
    QAbstractButton *const buttons[] = {m_ui->leftButton, m_ui->centerButton, m_ui->rightButton};
    return alignment >= 0 && alignment < 3 ? buttons[alignment] : nullptr;
}

} // namespace orvel
