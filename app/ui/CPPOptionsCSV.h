#pragma once

#include "platform/ui/PropertySheet.h"

#include <memory>

class QAbstractButton;
class QLineEdit;

namespace Ui {
class CPPOptionsCSV;
}

namespace orvel {

struct AppSettings;

// "CSV-Dateien": the field delimiter of CSV files as a character code (0:
// detected when reading, chosen by the locale when writing), their encoding
// and whether UTF-8 files are written with a byte-order mark.
class CPPOptionsCSV : public PropertyPage
{
    Q_OBJECT
public:
    explicit CPPOptionsCSV(const AppSettings &settings, QWidget *parent = nullptr);
    ~CPPOptionsCSV() override;

    // The delimiter must be 0 or a code from 1 to 255 other than the double
    // quote and the line ends.
    bool OnKillActive() override;
    // Writes the page's values into `settings`; call after OnKillActive.
    void Store(AppSettings &settings) const;

    QLineEdit *FieldDelimiterEdit() const;
    // 0 UTF-8, 1 Windows-1252.
    QAbstractButton *EncodingButton(int encoding) const;
    QAbstractButton *BomBox() const;

private:
    std::unique_ptr<Ui::CPPOptionsCSV> m_ui;
};

} // namespace orvel
