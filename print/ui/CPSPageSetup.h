#pragma once

#include "document/PageSettings.h"
#include "platform/ui/PropertySheet.h"
#include "print/ui/SessionPrinter.h"

#include <vector>

namespace orvel {

class CDataTable;
class CPPPageSetupFields;
class CPPPageSetupFont;
class CPPPageSetupHeaders;
class CPPPageSetupMargins;
class CPPPageSetupOptions;

// "Seite einrichten": the page setup of a document on five pages, the
// fields to print, the font, the options and paper, the margins and
// alignment, and header and footer.
class CPSPageSetup : public PropertySheet
{
    Q_OBJECT
public:
    CPSPageSetup(const PageSettings &settings, const CDataTable &table, const PaperOffer &paper,
                 QWidget *parent = nullptr);

    // The settings the sheet was opened on, with every page's values;
    // valid after OK.
    PageSettings Settings() const;
    // The fields' print flags by display position.
    std::vector<int> PrintFlags() const;

    CPPPageSetupFields *FieldsPage() const { return m_fields; }
    CPPPageSetupFont *FontPage() const { return m_font; }
    CPPPageSetupOptions *OptionsPage() const { return m_options; }
    CPPPageSetupMargins *MarginsPage() const { return m_margins; }
    CPPPageSetupHeaders *HeadersPage() const { return m_headers; }

private:
    PageSettings m_settings;
    CPPPageSetupFields *m_fields;
    CPPPageSetupFont *m_font;
    CPPPageSetupOptions *m_options;
    CPPPageSetupMargins *m_margins;
    CPPPageSetupHeaders *m_headers;
};

} // namespace orvel
