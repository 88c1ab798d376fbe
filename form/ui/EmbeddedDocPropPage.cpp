#include "form/ui/EmbeddedDocPropPage.h"

#include "ui_EmbeddedDocPropPage.h"

namespace orvel {

EmbeddedDocPropPage::EmbeddedDocPropPage(const EmbeddedDocumentTexts &texts, QWidget *parent)
    : PropertyPage(parent)
    , m_ui(std::make_unique<Ui::EmbeddedDocPropPage>())
{
    m_ui->setupUi(this);
    m_ui->nameValue->setText(texts.name);
    m_ui->typeValue->setText(texts.type);
    m_ui->sizeValue->setText(texts.size);
    m_ui->statusValue->setText(texts.status);
    m_ui->locationValue->setText(texts.location);
    m_ui->locationValue->setCursorPosition(0);
    // A path too long for the page scrolls in its field, which looks like
    // the other values.
    QPalette palette = m_ui->locationValue->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    m_ui->locationValue->setPalette(palette);
}

EmbeddedDocPropPage::~EmbeddedDocPropPage() = default;

QLabel *EmbeddedDocPropPage::Name() const
{
    return m_ui->nameValue;
}

QLabel *EmbeddedDocPropPage::Type() const
{
    return m_ui->typeValue;
}

QLabel *EmbeddedDocPropPage::Size() const
{
    return m_ui->sizeValue;
}

QLabel *EmbeddedDocPropPage::Status() const
{
    return m_ui->statusValue;
}

QLineEdit *EmbeddedDocPropPage::Location() const
{
    return m_ui->locationValue;
}

} // namespace orvel
