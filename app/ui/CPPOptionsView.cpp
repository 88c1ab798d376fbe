#include "app/ui/CPPOptionsView.h"

#include "ui_CPPOptionsView.h"

#include "form/ObjectProperties.h"
#include "platform/Services.h"
#include "platform/ui/FontSampleButton.h"

namespace orvel {

CPPOptionsView::CPPOptionsView(const LOGFONT &gridFont, QWidget *parent)
    : PropertyPage(parent)
    , m_ui(std::make_unique<Ui::CPPOptionsView>())
    , m_font(gridFont)
{
    m_ui->setupUi(this);
    m_ui->fontDescription->setMinimumWidth(m_ui->fontDescription->fontMetrics().averageCharWidth() * 30);
    connect(m_ui->chooseButton, &QPushButton::clicked, this, &CPPOptionsView::chooseFont);

    m_pointSize = ScreenPointSize(m_font, logicalDpiY());
    showFont();
}

CPPOptionsView::~CPPOptionsView() = default;

void CPPOptionsView::chooseFont()
{
    // The grid has no font colour of its own: the colour the dialog offers
    // is not kept.
    const std::optional<ChosenFont> chosen = services().chooseFont(m_font, 0);
    if (!chosen)
        return;
    // The settings keep a font's height, weight, italic and underline, its
    // pitch and family and its face name: the sample shows only what the
    // grid will show (no strike-out, for one).
    LOGFONT kept;
    kept.lfHeight = chosen->font.lfHeight;
    kept.lfWeight = chosen->font.lfWeight;
    kept.lfItalic = chosen->font.lfItalic;
    kept.lfUnderline = chosen->font.lfUnderline;
    kept.lfPitchAndFamily = chosen->font.lfPitchAndFamily;
    kept.setFaceName(chosen->font.faceName());
    m_font = kept;
    m_pointSize = FontPointSizeFromTenths(chosen->pointSizeTenths);
    showFont();
}

void CPPOptionsView::showFont()
{
    m_ui->fontDescription->setText(orvel::FontDescription(m_font, m_pointSize));
    m_ui->sampleButton->SetSample(m_font, palette().color(QPalette::WindowText));
}

QLabel *CPPOptionsView::FontDescription() const
{
    return m_ui->fontDescription;
}

QAbstractButton *CPPOptionsView::SampleButton() const
{
    return m_ui->sampleButton;
}

QAbstractButton *CPPOptionsView::ChooseButton() const
{
    return m_ui->chooseButton;
}

} // namespace orvel
