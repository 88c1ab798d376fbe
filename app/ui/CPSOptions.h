#pragma once

#include "app/ui/AppSettings.h"
#include "platform/ui/PropertySheet.h"

namespace orvel {

class CPPOptionsCSV;
class CPPOptionsGeneral;
class CPPOptionsSDF;
class CPPOptionsView;

// "Einstellungen": the application's settings on four pages, "Allgemeines",
// "Listenansicht" (the grid font), "SDF-Dateifilter" and "CSV-Dateien". The sheet works on
// a copy; the values it has no control for go through unchanged.
class CPSOptions : public PropertySheet
{
    Q_OBJECT
public:
    explicit CPSOptions(const AppSettings &settings, QWidget *parent = nullptr);

    // The settings the sheet was opened on, with every page's values;
    // valid after OK.
    AppSettings Settings() const;

    CPPOptionsGeneral *GeneralPage() const { return m_general; }
    CPPOptionsView *ViewPage() const { return m_view; }
    CPPOptionsSDF *SdfPage() const { return m_sdf; }
    CPPOptionsCSV *CsvPage() const { return m_csv; }

private:
    AppSettings m_settings;
    CPPOptionsGeneral *m_general;
    CPPOptionsView *m_view;
    CPPOptionsSDF *m_sdf;
    CPPOptionsCSV *m_csv;
};

} // namespace orvel
