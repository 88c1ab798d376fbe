#include "print/ui/SessionPrinter.h"

#include "document/PageSettings.h"
#include "print/gfx/PaperCodes.h"
#include "print/ui/PaperSourceCodes.h"
#include "print/ui/TablePrintJob.h"

#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>

namespace orvel {

namespace {

QPrinterInfo installedPrinter(const QString &name)
{
    if (!name.isEmpty()) {
        const QPrinterInfo named = QPrinterInfo::printerInfo(name);
        if (!named.isNull())
            return named;
    }
    const QPrinterInfo standard = QPrinterInfo::defaultPrinter();
    if (!standard.isNull())
        return standard;
    const QList<QPrinterInfo> all = QPrinterInfo::availablePrinters();
    return all.isEmpty() ? QPrinterInfo() : all.first();
}

void addChoice(std::vector<PaperChoice> &choices, const QString &name, int16_t code)
{
    for (const PaperChoice &choice : choices) {
        if (choice.code == code)
            return;
    }
    choices.push_back({name, code});
}

// The sizes a printer lists that have a code; a PDF file takes every size.
std::vector<PaperChoice> paperSizes(const QPrinterInfo &info)
{
    std::vector<PaperChoice> sizes;
    if (info.isNull()) {
        for (const int16_t code : PaperCodes())
            addChoice(sizes, QPageSize::name(PrintPageSizeOfPaperCode(code)), code);
        return sizes;
    }
    for (const QPageSize &size : info.supportedPageSizes()) {
        if (const auto code = PaperCodeOfPageSize(size.id()))
            addChoice(sizes, size.name(), *code);
    }
    return sizes;
}

// The bins the printer's engine names; a PDF file has none.
std::vector<PaperChoice> paperSources(QPrinter &printer, bool real)
{
    std::vector<PaperChoice> sources;
    if (!real)
        return sources;
    const QVariantList listed = printer.printEngine()->property(QPrintEngine::PPK_PaperSources).toList();
    for (const QVariant &value : listed) {
        const auto source = QPrinter::PaperSource(value.toInt());
        if (const auto code = BinCodeOfPaperSource(source))
            addChoice(sources, PaperSourceName(source), *code);
    }
    return sources;
}

int16_t sizeCode(const QPrinter &printer)
{
    return PaperCodeOfPageSize(printer.pageLayout().pageSize().id()).value_or(0);
}

int16_t sourceCode(const QPrinter &printer)
{
    return BinCodeOfPaperSource(printer.paperSource()).value_or(0);
}

} // namespace

SessionPrinter &SessionPrinter::Instance()
{
    // Never destroyed: a printer must not outlive the application object,
    // and the last documents may print until it goes.
    static SessionPrinter *const instance = new SessionPrinter;
    return *instance;
}

SessionPrinter::SessionPrinter()
    : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    SelectPrinter(QString());
}

QPrinter &SessionPrinter::Printer()
{
    return *m_printer;
}

bool SessionPrinter::HasPrinter() const
{
    // The print dialog may switch the printer to a file and back.
    return m_printer->outputFormat() == QPrinter::NativeFormat;
}

QString SessionPrinter::PrinterName() const
{
    return HasPrinter() ? m_printer->printerName() : QString();
}

QStringList SessionPrinter::AvailablePrinters()
{
    QStringList names = QPrinterInfo::availablePrinterNames();
    const QString standard = QPrinterInfo::defaultPrinterName();
    if (names.removeAll(standard) > 0)
        names.prepend(standard);
    return names;
}

void SessionPrinter::usePdf()
{
    m_printer->setOutputFormat(QPrinter::PdfFormat);
    // A file has no unprintable border.
    m_printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

void SessionPrinter::SelectPrinter(const QString &name)
{
    const QPrinterInfo info = installedPrinter(name);
    if (info.isNull()) {
        usePdf();
        return;
    }
    m_printer->setOutputFormat(QPrinter::NativeFormat);
    m_printer->setPrinterName(info.printerName());
    if (!HasPrinter() || !m_printer->isValid())
        usePdf();
}

void SessionPrinter::ApplyPaperSettings(const PageSettings &settings)
{
    SetPaperSize(settings.paperSize);
    SetPaperSource(settings.paperSource);
    SetOrientation(settings.orientation);
}

void SessionPrinter::SetPaperSize(int code)
{
    // A new size comes with the printer's own margins; a file has none.
    m_printer->setPageSize(QPageSize(PrintPageSizeOfPaperCode(code)));
    if (!HasPrinter())
        m_printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

void SessionPrinter::SetPaperSource(int code)
{
    if (code == 0)
        m_printer->setPaperSource(QPrinter::Auto);
    else if (const auto source = PaperSourceOfBinCode(code))
        m_printer->setPaperSource(*source);
}

void SessionPrinter::SetOrientation(int code)
{
    if (code == PageSettings::kPortrait)
        m_printer->setPageOrientation(QPageLayout::Portrait);
    else if (code == PageSettings::kLandscape)
        m_printer->setPageOrientation(QPageLayout::Landscape);
}

int16_t SessionPrinter::Orientation() const
{
    return m_printer->pageLayout().orientation() == QPageLayout::Landscape ? PageSettings::kLandscape
                                                                           : PageSettings::kPortrait;
}

PaperOffer SessionPrinter::Offer() const
{
    PaperOffer offer;
    offer.sizes = paperSizes(HasPrinter() ? QPrinterInfo(*m_printer) : QPrinterInfo());
    offer.sources = paperSources(*m_printer, HasPrinter());
    offer.size = sizeCode(*m_printer);
    offer.source = sourceCode(*m_printer);
    return offer;
}

PaperOffer SessionPrinter::OfferOf(const QString &printerName)
{
    const QPrinterInfo info = printerName.isEmpty() ? QPrinterInfo() : QPrinterInfo::printerInfo(printerName);
    PaperOffer offer;
    offer.sizes = paperSizes(info);
    if (!info.isNull()) {
        QPrinter printer(info, QPrinter::HighResolution);
        offer.sources = paperSources(printer, true);
        offer.size = PaperCodeOfPageSize(info.defaultPageSize().id()).value_or(0);
        offer.source = sourceCode(printer);
    } else {
        offer.size = PageSettings::kPaperA4;
    }
    return offer;
}

std::optional<PrinterMetrics> SessionPrinter::Metrics() const
{
    const PrinterMetrics metrics = MetricsOfPrinter(*m_printer);
    if (metrics.horzRes <= 0 || metrics.vertRes <= 0 || metrics.physicalWidth <= 0 || metrics.physicalHeight <= 0)
        return std::nullopt;
    return metrics;
}

void SessionPrinter::Install()
{
    SetPrinterMetricsSource([] { return Instance().Metrics(); });
}

} // namespace orvel
