#include "form/ui/CTextPropTextDlg.h"

#include "ui_CTextPropTextDlg.h"

#include "platform/Codepage.h"

#include <algorithm>

namespace orvel {

CTextPropTextDlg::CTextPropTextDlg(const AnsiString &text, bool wordWrap, int angle, QWidget *parent)
    : PropertyPage(parent)
    , m_ui(std::make_unique<Ui::CTextPropTextDlg>())
    , m_text(text)
    , m_angle(angle)
{
    m_ui->setupUi(this);
    // The editor breaks lines with LF; the form keeps CR LF.
    m_shownText = AnsiToQString(text);
    m_shownText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_shownText.replace(u'\r', u'\n');
    m_ui->textEdit->setPlainText(m_shownText);
    m_ui->wordWrapBox->setChecked(wordWrap);
    m_ui->angleBox->setValue(std::clamp(angle, 0, 360));
    m_ui->angleGroup->hide();
    connect(m_ui->angleBox, &QSpinBox::valueChanged, this, [this] { m_angleChanged = true; });
}

CTextPropTextDlg::~CTextPropTextDlg() = default;

void CTextPropTextDlg::showEvent(QShowEvent *event)
{
    PropertyPage::showEvent(event);
    if (m_shown)
        return;
    // The text is ready to be typed over.
    m_shown = true;
    m_ui->textEdit->setFocus();
    m_ui->textEdit->selectAll();
}

AnsiString CTextPropTextDlg::Text() const
{
    QString text = m_ui->textEdit->toPlainText();
    if (text == m_shownText)
        return m_text;
    text.replace(u'\n', QStringLiteral("\r\n"));
    return QStringToAnsi(text);
}

bool CTextPropTextDlg::WordWrap() const
{
    return m_ui->wordWrapBox->isChecked();
}

int CTextPropTextDlg::Angle() const
{
    return m_angleChanged ? m_ui->angleBox->value() : m_angle;
}

QPlainTextEdit *CTextPropTextDlg::TextEdit() const
{
    return m_ui->textEdit;
}

QCheckBox *CTextPropTextDlg::WordWrapBox() const
{
    return m_ui->wordWrapBox;
}

QGroupBox *CTextPropTextDlg::AngleGroup() const
{
    return m_ui->angleGroup;
}

QSpinBox *CTextPropTextDlg::AngleBox() const
{
    return m_ui->angleBox;
}

} // namespace orvel
