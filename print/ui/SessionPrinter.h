#pragma once

#include "platform/PrinterMetrics.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

class QPrinter;

namespace orvel {

struct PageSettings;

// A paper size or bin as the page dialogs list it, with the code a
// database file stores for it.
struct PaperChoice
{
    QString name;
    int16_t code = 0;

    friend bool operator==(const PaperChoice &, const PaperChoice &) = default;
};

// What a printer offers for the paper, and what it is set to now (0 for a
// size or bin without a code).
struct PaperOffer
{
    std::vector<PaperChoice> sizes;
    std::vector<PaperChoice> sources;
    int16_t size = 0;
    int16_t source = 0;
};

// The printer of this session: the one "Drucker einrichten..." chose (the
// system's default printer at first, a PDF file when there is none), with
// the paper, bin and orientation of the active document applied. Printing,
// the preview, the page setup and the margin check all use it.
class SessionPrinter
{
public:
    // Made on first use, once a QGuiApplication exists; it lives until the
    // process ends.
    static SessionPrinter &Instance();

    // Stays the same object for the whole session.
    QPrinter &Printer();
    // Whether a real printer is installed (else the printer writes PDF).
    bool HasPrinter() const;
    // The printer's name as the system knows it; empty while printing goes
    // to PDF.
    QString PrinterName() const;
    // The installed printers, the system's default first.
    static QStringList AvailablePrinters();
    // Makes the named printer the session's; a name that is not installed
    // (or none) takes the system's default printer, or PDF when there is
    // none. The paper, bin and orientation stay where the new printer has
    // them.
    void SelectPrinter(const QString &name);

    // The document's paper size, paper source and orientation become the
    // printer's (codes the printer does not know leave its own setting;
    // an unknown paper size prints on A4).
    void ApplyPaperSettings(const PageSettings &settings);
    // The same one by one, with the codes themselves: the paper size, the
    // bin (0 the printer's automatic choice) and the orientation (1
    // portrait, 2 landscape).
    void SetPaperSize(int code);
    void SetPaperSource(int code);
    void SetOrientation(int code);
    // The printer's orientation code: 1 portrait, 2 landscape.
    int16_t Orientation() const;

    // The sizes and bins the printer offers, and its current ones.
    PaperOffer Offer() const;
    // The same for another installed printer (empty name: PDF).
    static PaperOffer OfferOf(const QString &printerName);

    // The printer's metrics as printing sees them; installed as the
    // process's printer metrics source by Install().
    std::optional<PrinterMetrics> Metrics() const;
    static void Install();

private:
    SessionPrinter();
    void usePdf();
    std::unique_ptr<QPrinter> m_printer;
};

} // namespace orvel
