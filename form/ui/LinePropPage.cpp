#include "form/ui/LinePropPage.h"

#include "ui_LinePropPage.h"

#include "form/ui/ColorSwatch.h"
#include "platform/Services.h"
#include "resources/StringIds.h"

#include <QButtonGroup>

#include <algorithm>

namespace orvel {

LinePropPage::LinePropPage(const LineFillValues &values, bool supports3DFrame, QWidget *parent)
    : PropertyPage(parent)
    , m_ui(std::make_unique<Ui::LinePropPage>())
    , m_kinds(new QButtonGroup(this))
    , m_values(values)
{
    m_ui->setupUi(this);
    QAbstractButton *const buttons[] = {m_ui->solidButton,   m_ui->dashedButton,     m_ui->dottedButton,
                                        m_ui->dashDotButton, m_ui->dashDotDotButton, m_ui->raisedButton};
    for (int kind = kLineSolid; kind <= kLine3D; ++kind)
        m_kinds->addButton(buttons[kind], kind);
    m_ui->raisedButton->setVisible(supports3DFrame);

    // A width that a file brought from outside the range is shown as it is;
    // leaving the page asks for a valid one.
    m_ui->widthBox->setRange(std::min(kMinLineWidth, values.width), std::max(kMaxLineWidth, values.width));
    m_ui->widthBox->setValue(values.width);
    m_ui->colorPreview->SetColor(values.lineColor);
    if (QAbstractButton *kind = m_kinds->button(values.kind))
        kind->setChecked(true);
    widthChanged(values.width);

    connect(m_ui->widthBox, &QSpinBox::valueChanged, this, &LinePropPage::widthChanged);
    connect(m_ui->changeButton, &QPushButton::clicked, this, &LinePropPage::changeColor);
}

LinePropPage::~LinePropPage() = default;

LineFillValues LinePropPage::Value() const
{
    LineFillValues values = m_values;
    values.width = m_ui->widthBox->value();
    values.lineColor = m_ui->colorPreview->Color();
    const int checked = m_kinds->checkedId();
    values.kind = EffectiveLineKind(values.width, checked >= 0 ? checked : m_values.kind);
    return values;
}

bool LinePropPage::OnKillActive()
{
    const int width = m_ui->widthBox->value();
    if (width >= kMinLineWidth && width <= kMaxLineWidth)
        return true;
    MessageBoxById(ids::kMsgEnterIntegerBetween, MsgIcon::Exclamation, MsgButtons::Ok,
                   {QString::number(kMinLineWidth), QString::number(kMaxLineWidth)});
    m_ui->widthBox->setFocus();
    m_ui->widthBox->selectAll();
    return false;
}

void LinePropPage::widthChanged(int width)
{
    m_ui->kindGroup->setEnabled(width == 1);
    if (width > 1)
        m_ui->solidButton->setChecked(true);
}

void LinePropPage::changeColor()
{
    if (const std::optional<uint32_t> color = services().chooseColor(m_ui->colorPreview->Color()))
        m_ui->colorPreview->SetColor(*color);
}

QSpinBox *LinePropPage::WidthBox() const
{
    return m_ui->widthBox;
}

ColorSwatch *LinePropPage::ColorPreview() const
{
    return m_ui->colorPreview;
}

QAbstractButton *LinePropPage::ChangeButton() const
{
    return m_ui->changeButton;
}

QGroupBox *LinePropPage::KindGroup() const
{
    return m_ui->kindGroup;
}

QAbstractButton *LinePropPage::KindButton(int kind) const
{
    return m_kinds->button(kind);
}

} // namespace orvel
