#include "form/ui/CPicturePropDlg.h"

#include "ui_CPicturePropDlg.h"

namespace orvel {

CPicturePropDlg::CPicturePropDlg(const PicturePageTexts &texts, QWidget *parent)
    : PropertyPage(parent)
    , m_ui(std::make_unique<Ui::CPicturePropDlg>())
{
    m_ui->setupUi(this);
    m_ui->fileNameValue->setText(texts.fileName);
    m_ui->fileNameValue->setCursorPosition(0);
    // A path too long for the page scrolls in its field, which looks like
    // the other values.
    QPalette palette = m_ui->fileNameValue->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    m_ui->fileNameValue->setPalette(palette);
    m_ui->fileTypeValue->setText(texts.fileType);
    m_ui->sizeValue->setText(texts.size);
    m_ui->originalSizeValue->setText(texts.originalSize);
    m_ui->resolutionValue->setText(texts.resolution);
    m_ui->colorsValue->setText(texts.colors);
    m_ui->statusValue->setText(texts.status);
}

CPicturePropDlg::~CPicturePropDlg() = default;

QLineEdit *CPicturePropDlg::FileName() const
{
    return m_ui->fileNameValue;
}

QLabel *CPicturePropDlg::FileType() const
{
    return m_ui->fileTypeValue;
}

QLabel *CPicturePropDlg::Size() const
{
    return m_ui->sizeValue;
}

QLabel *CPicturePropDlg::OriginalSize() const
{
    return m_ui->originalSizeValue;
}

QLabel *CPicturePropDlg::Resolution() const
{
    return m_ui->resolutionValue;
}

QLabel *CPicturePropDlg::Colors() const
{
    return m_ui->colorsValue;
}

QLabel *CPicturePropDlg::Status() const
{
    return m_ui->statusValue;
}

} // namespace orvel
