#include "print/ui/PrinterSetupDialog.h"

#include "ui_PrinterSetupDialog.h"

#include "document/PageSettings.h"
#include "print/ui/OrientationPicture.h"
#include "print/ui/PaperChoiceList.h"
#include "print/ui/SessionPrinter.h"

#include <QPushButton>

#include <algorithm>

namespace orvel {

PrinterSetupDialog::PrinterSetupDialog(SessionPrinter &printer, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::PrinterSetupDialog>())
    , m_printer(printer)
{
    m_ui->setupUi(this);
    OkButton()->setText(QStringLiteral("OK"));
    m_ui->buttonBox->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &PrinterSetupDialog::accept);
    connect(m_ui->buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    const QStringList printers = SessionPrinter::AvailablePrinters();
    for (const QString &name : printers)
        m_ui->printerBox->addItem(name, name);
    if (printers.isEmpty()) {
        m_ui->printerBox->addItem(QStringLiteral("PDF-Datei"), QString());
        m_ui->printerBox->setEnabled(false);
    } else {
        m_ui->printerBox->setCurrentIndex(std::max(0, m_ui->printerBox->findData(printer.PrinterName())));
    }
    m_ui->noPrinterLabel->setVisible(printers.isEmpty());

    const bool landscape = printer.Orientation() == PageSettings::kLandscape;
    OrientationButton(landscape)->setChecked(true);
    m_ui->orientationPicture->SetLandscape(landscape);
    connect(m_ui->landscapeButton, &QAbstractButton::toggled, m_ui->orientationPicture,
            &OrientationPicture::SetLandscape);

    showPaper(printer.Offer());
    connect(m_ui->printerBox, &QComboBox::currentIndexChanged, this, &PrinterSetupDialog::printerChosen);
}

PrinterSetupDialog::~PrinterSetupDialog() = default;

void PrinterSetupDialog::showPaper(const PaperOffer &offer)
{
    FillPaperChoices(m_ui->sizeBox, offer.sizes, offer.size);
    FillPaperChoices(m_ui->sourceBox, offer.sources, offer.source);
}

void PrinterSetupDialog::printerChosen()
{
    // Another printer lists its own sizes; the chosen size stays where it
    // has one.
    const std::optional<int16_t> size = SelectedPaperCode(m_ui->sizeBox);
    PaperOffer offer = SessionPrinter::OfferOf(m_ui->printerBox->currentData().toString());
    if (size)
        offer.size = *size;
    showPaper(offer);
}

void PrinterSetupDialog::accept()
{
    const QString name = m_ui->printerBox->currentData().toString();
    if (name != m_printer.PrinterName())
        m_printer.SelectPrinter(name);
    if (const std::optional<int16_t> size = SelectedPaperCode(m_ui->sizeBox))
        m_printer.SetPaperSize(*size);
    if (const std::optional<int16_t> source = SelectedPaperCode(m_ui->sourceBox))
        m_printer.SetPaperSource(*source);
    m_printer.SetOrientation(m_ui->landscapeButton->isChecked() ? PageSettings::kLandscape : PageSettings::kPortrait);
    QDialog::accept();
}

QComboBox *PrinterSetupDialog::PrinterBox() const
{
    return m_ui->printerBox;
}

QComboBox *PrinterSetupDialog::SizeBox() const
{
    return m_ui->sizeBox;
}

QComboBox *PrinterSetupDialog::SourceBox() const
{
    return m_ui->sourceBox;
}

QAbstractButton *PrinterSetupDialog::OrientationButton(bool landscape) const
{
    return landscape ? m_ui->landscapeButton : m_ui->portraitButton;
}

QLabel *PrinterSetupDialog::NoPrinterLabel() const
{
    return m_ui->noPrinterLabel;
}

QPushButton *PrinterSetupDialog::OkButton() const
{
    return m_ui->buttonBox->button(QDialogButtonBox::Ok);
}

bool RunPrinterSetup(QWidget *parent)
{
    PrinterSetupDialog dialog(SessionPrinter::Instance(), parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace orvel
