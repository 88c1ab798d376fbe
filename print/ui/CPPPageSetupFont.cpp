#include "print/ui/CPPPageSetupFont.h"

#include "ui_CPPPageSetupFont.h"

#include "form/ObjectProperties.h"
#include "platform/Services.h"
#include "platform/ui/FontSampleButton.h"

namespace orvel {

CPPPageSetupFont::CPPPageSetupFont(const LOGFONT &font, QWidget *parent)
    : PropertyPage(parent)
    , m_ui(std::make_unique<Ui::CPPPageSetupFont>())
    , m_font(font)
{
    m_ui->setupUi(this);
    m_ui->fontDescription->setMinimumWidth(m_ui->fontDescription->fontMetrics().averageCharWidth() * 30);
    connect(m_ui->chooseButton, &QPushButton::clicked, this, &CPPPageSetupFont::chooseFont);

    m_pointSize = ScreenPointSize(m_font, logicalDpiY());
    showFont();
}

CPPPageSetupFont::~CPPPageSetupFont() = default;

void CPPPageSetupFont::chooseFont()
{
    // The printout is black: the colour the dialog offers is not kept.
    const std::optional<ChosenFont> chosen = services().chooseFont(m_font, 0);
    if (!chosen)
        return;
    m_font = chosen->font;
    m_pointSize = FontPointSizeFromTenths(chosen->pointSizeTenths);
    showFont();
}

void CPPPageSetupFont::showFont()
{
    m_ui->fontDescription->setText(orvel::FontDescription(m_font, m_pointSize));
    m_ui->sampleButton->SetSample(m_font, palette().color(QPalette::WindowText), kLargestSamplePixels);
}

QLabel *CPPPageSetupFont::FontDescription() const
{
    return m_ui->fontDescription;
}

QAbstractButton *CPPPageSetupFont::SampleButton() const
{
    return m_ui->sampleButton;
}

QAbstractButton *CPPPageSetupFont::ChooseButton() const
{
    return m_ui->chooseButton;
}

} // namespace orvel
