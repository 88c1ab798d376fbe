#include "print/ui/CPSPageSetup.h"

#include "print/ui/CPPPageSetupFields.h"
#include "print/ui/CPPPageSetupFont.h"
#include "print/ui/CPPPageSetupHeaders.h"
#include "print/ui/CPPPageSetupMargins.h"
#include "print/ui/CPPPageSetupOptions.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

namespace orvel {

CPSPageSetup::CPSPageSetup(const PageSettings &settings, const CDataTable &table, const PaperOffer &paper,
                           QWidget *parent)
    : PropertySheet(parent)
    , m_settings(settings)
    , m_fields(new CPPPageSetupFields(table))
    , m_font(new CPPPageSetupFont(settings.printFont))
    , m_options(new CPPPageSetupOptions(settings, paper))
    , m_margins(new CPPPageSetupMargins(settings))
    , m_headers(new CPPPageSetupHeaders(settings))
{
    setWindowTitle(LoadQString(ids::kCaptionPageSetup));
    setObjectName(QStringLiteral("PageSetup"));
    AddPage(m_fields);
    AddPage(m_font);
    AddPage(m_options);
    AddPage(m_margins);
    AddPage(m_headers);
}

PageSettings CPSPageSetup::Settings() const
{
    PageSettings settings = m_settings;
    settings.printFont = m_font->Font();
    m_options->Store(settings);
    m_margins->Store(settings);
    m_headers->Store(settings);
    return settings;
}

std::vector<int> CPSPageSetup::PrintFlags() const
{
    return m_fields->PrintFlags();
}

} // namespace orvel
