#pragma once

#include "platform/ui/PropertySheet.h"

#include <memory>
#include <vector>

class QAbstractButton;
class QListWidget;

namespace Ui {
class CPPPageSetupFields;
}

namespace orvel {

class CDataTable;

// "Datenfelder": which fields the table printout shows. Every field is
// listed in display order with its print flag as a check; picture, memo,
// OLE and link fields keep theirs, disabled.
class CPPPageSetupFields : public PropertyPage
{
    Q_OBJECT
public:
    explicit CPPPageSetupFields(const CDataTable &table, QWidget *parent = nullptr);
    ~CPPPageSetupFields() override;

    // One flag per field by display position: 1 checked, 0 not (the
    // disabled entries as they are shown).
    std::vector<int> PrintFlags() const;

    QListWidget *FieldList() const;
    QAbstractButton *SelectAllButton() const;
    QAbstractButton *ClearButton() const;

private:
    // Checks or unchecks every entry the user may change.
    void setAllEnabled(bool checked);

    std::unique_ptr<Ui::CPPPageSetupFields> m_ui;
};

} // namespace orvel
