#include "app/ui/CPSOptions.h"

#include "app/ui/CPPOptionsCSV.h"
#include "app/ui/CPPOptionsGeneral.h"
#include "app/ui/CPPOptionsSDF.h"
#include "app/ui/CPPOptionsView.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

#include <QTabWidget>

namespace orvel {

CPSOptions::CPSOptions(const AppSettings &settings, QWidget *parent)
    : PropertySheet(parent)
    , m_settings(settings)
    , m_general(new CPPOptionsGeneral(settings))
    , m_view(new CPPOptionsView(settings.gridFont))
    , m_sdf(new CPPOptionsSDF(settings))
    , m_csv(new CPPOptionsCSV(settings))
{
    setWindowTitle(LoadQString(ids::kCaptionOptions));
    setObjectName(QStringLiteral("Options"));
    AddPage(m_general);
    AddPage(m_view);
    AddPage(m_sdf);
    AddPage(m_csv);
    // Four tabs: the sheet grows to show them all rather than scroll them.
    Tabs()->setUsesScrollButtons(false);
}

AppSettings CPSOptions::Settings() const
{
    AppSettings settings = m_settings;
    m_general->Store(settings);
    settings.gridFont = m_view->GridFont();
    m_sdf->Store(settings);
    m_csv->Store(settings);
    return settings;
}

} // namespace orvel
