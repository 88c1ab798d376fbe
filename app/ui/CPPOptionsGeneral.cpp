#include "app/ui/CPPOptionsGeneral.h"

#include "ui_CPPOptionsGeneral.h"

#include "app/ui/AppSettings.h"

namespace orvel {

CPPOptionsGeneral::CPPOptionsGeneral(const AppSettings &settings, QWidget *parent)
    : PropertyPage(parent)
    , m_ui(std::make_unique<Ui::CPPOptionsGeneral>())
{
    m_ui->setupUi(this);
    m_ui->startWindowBox->setChecked(settings.startWindow != 0);
    // A view number the settings file made up checks neither button and
    // stays until one is chosen.
    if (QAbstractButton *button = ViewButton(settings.standardView))
        button->setChecked(true);
    m_ui->relativePathsBox->setChecked(settings.relativePaths != 0);
    m_ui->showTitleBox->setChecked(settings.showTitle != 0);
    // Not offered, but carried through as it was.
    m_ui->compressBlobsBox->setChecked(settings.compressBlobs != 0);
    m_ui->dialPrefixEdit->setText(settings.dialPrefix);
}

CPPOptionsGeneral::~CPPOptionsGeneral() = default;

void CPPOptionsGeneral::Store(AppSettings &settings) const
{
    // A flag keeps the number it was read as unless the box was changed.
    if (m_ui->startWindowBox->isChecked() != (settings.startWindow != 0))
        settings.startWindow = m_ui->startWindowBox->isChecked() ? 1 : 0;
    for (int view = 0; view < 2; ++view) {
        if (ViewButton(view)->isChecked())
            settings.standardView = view;
    }
    if (m_ui->relativePathsBox->isChecked() != (settings.relativePaths != 0))
        settings.relativePaths = m_ui->relativePathsBox->isChecked() ? 1 : 0;
    if (m_ui->showTitleBox->isChecked() != (settings.showTitle != 0))
        settings.showTitle = m_ui->showTitleBox->isChecked() ? 1 : 0;
    if (m_ui->compressBlobsBox->isChecked() != (settings.compressBlobs != 0))
        settings.compressBlobs = m_ui->compressBlobsBox->isChecked() ? 1 : 0;
    settings.dialPrefix = m_ui->dialPrefixEdit->text();
}

QAbstractButton *CPPOptionsGeneral::StartWindowBox() const
{
    return m_ui->startWindowBox;
}

QAbstractButton *CPPOptionsGeneral::ViewButton(int view) const
{
    if (view == 0)
        return m_ui->formViewButton;
    if (view == 1)
        return m_ui->listViewButton;
    return nullptr;
}

QAbstractButton *CPPOptionsGeneral::RelativePathsBox() const
{
    return m_ui->relativePathsBox;
}

QAbstractButton *CPPOptionsGeneral::ShowTitleBox() const
{
    return m_ui->showTitleBox;
}

QAbstractButton *CPPOptionsGeneral::CompressBlobsBox() const
{
    return m_ui->compressBlobsBox;
}

QLineEdit *CPPOptionsGeneral::DialPrefixEdit() const
{
    return m_ui->dialPrefixEdit;
}

} // namespace orvel
