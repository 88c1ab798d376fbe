#include "print/ui/CPPPageSetupOptions.h"

#include "ui_CPPPageSetupOptions.h"

#include "print/ui/OrientationPicture.h"
#include "print/ui/PaperChoiceList.h"

namespace orvel {

namespace {

// The code of the row the user chose, or `stored` while the selection is
// the one the page opened with (or there is none).
int16_t chosenCode(const QComboBox *box, int initialRow, int16_t stored)
{
    const std::optional<int16_t> code = SelectedPaperCode(box);
    return code && box->currentIndex() != initialRow ? *code : stored;
}

} // namespace

CPPPageSetupOptions::CPPPageSetupOptions(const PageSettings &settings, const PaperOffer &paper, QWidget *parent)
    : PropertyPage(parent)
    , m_ui(std::make_unique<Ui::CPPPageSetupOptions>())
{
    m_ui->setupUi(this);
    m_initialSize = FillPaperChoices(m_ui->sizeBox, paper.sizes, paper.size);
    m_initialSource = FillPaperChoices(m_ui->sourceBox, paper.sources, paper.source);

    m_initialLandscape = settings.orientation == PageSettings::kLandscape;
    OrientationButton(m_initialLandscape)->setChecked(true);
    m_ui->orientationPicture->SetLandscape(m_initialLandscape);
    connect(m_ui->landscapeButton, &QAbstractButton::toggled, m_ui->orientationPicture,
            &OrientationPicture::SetLandscape);

    const int16_t options[] = {settings.printFieldNames, settings.numberRecords, settings.determineWidths};
    QCheckBox *const boxes[] = {FieldNamesBox(), NumbersBox(), WidthsBox()};
    for (int i = 0; i < 3; ++i) {
        m_initialChecks[i] = options[i] != 0;
        boxes[i]->setChecked(m_initialChecks[i]);
    }
    if (QAbstractButton *line = LineButton(settings.lineStyle))
        line->setChecked(true);
}

CPPPageSetupOptions::~CPPPageSetupOptions() = default;

void CPPPageSetupOptions::Store(PageSettings &settings) const
{
    settings.paperSize = chosenCode(m_ui->sizeBox, m_initialSize, settings.paperSize);
    settings.paperSource = chosenCode(m_ui->sourceBox, m_initialSource, settings.paperSource);
    const bool landscape = m_ui->landscapeButton->isChecked();
    if (landscape != m_initialLandscape)
        settings.orientation = landscape ? PageSettings::kLandscape : PageSettings::kPortrait;

    int16_t *const options[] = {&settings.printFieldNames, &settings.numberRecords, &settings.determineWidths};
    const QCheckBox *const boxes[] = {FieldNamesBox(), NumbersBox(), WidthsBox()};
    for (int i = 0; i < 3; ++i) {
        if (boxes[i]->isChecked() != m_initialChecks[i])
            *options[i] = boxes[i]->isChecked() ? 1 : 0;
    }
    for (int style = PageSettings::NoLine; style <= PageSettings::DashDotDot; ++style) {
        if (LineButton(style)->isChecked())
            settings.lineStyle = int16_t(style);
    }
}

QComboBox *CPPPageSetupOptions::SizeBox() const
{
    return m_ui->sizeBox;
}

QComboBox *CPPPageSetupOptions::SourceBox() const
{
    return m_ui->sourceBox;
}

QAbstractButton *CPPPageSetupOptions::OrientationButton(bool landscape) const
{
    return landscape ? m_ui->landscapeButton : m_ui->portraitButton;
}

OrientationPicture *CPPPageSetupOptions::Picture() const
{
    return m_ui->orientationPicture;
}

QCheckBox *CPPPageSetupOptions::FieldNamesBox() const
{
    return m_ui->fieldNamesBox;
}

QCheckBox *CPPPageSetupOptions::NumbersBox() const
{
    return m_ui->numbersBox;
}

QCheckBox *CPPPageSetupOptions::WidthsBox() const
{
    return m_ui->widthsBox;
}

QAbstractButton *CPPPageSetupOptions::LineButton(int style) const
{
    QAbstractButton *const buttons[] = {m_ui->noLineButton, m_ui->solidButton,   m_ui->dashedButton,
                                        m_ui->dottedButton, m_ui->dashDotButton, m_ui->dashDotDotButton};
    return style >= 0 && style < 6 ? buttons[style] : nullptr;
}

} // namespace orvel
