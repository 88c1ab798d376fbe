#pragma once

#include "document/FieldDefinition.h"
#include "platform/ui/PropertySheet.h"

#include <memory>

class QAbstractButton;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QSpinBox;

namespace Ui {
class CFieldPropDlg;
}

namespace orvel {

class CDataTable;

// "Datenfeld": name, type, default value and the switches of a field and
// its data field. An existing field may change its type only among text,
// number and date; a new one may take any type.
class CFieldPropDlg : public PropertyPage
{
    Q_OBJECT
public:
    // `existing` is the field's display position, -1 for a new field.
    CFieldPropDlg(const CDataTable &table, int existing, const FieldDefinition &definition, QWidget *parent = nullptr);
    ~CFieldPropDlg() override;

    // Leaving the page: a changed type of an existing field is confirmed
    // first (a refusal puts the old type back); then the name and the
    // default value are checked. Each refusal tells why and keeps the page.
    bool OnKillActive() override;

    FieldDefinition Value() const;
    int Type() const;

    // For the tests.
    QLineEdit *NameEdit() const;
    QAbstractButton *TypeButton(int type) const;
    QCheckBox *FramedBox() const;
    QCheckBox *ShowNameBox() const;
    QLineEdit *DefaultEdit() const;
    QSpinBox *DecimalsSpin() const;
    QListWidget *DateFormatList() const;
    QCheckBox *EmbedBox() const;
    QWidget *NoPropertiesLabel() const;

private:
    void setType(int type);
    void updateControls();

    std::unique_ptr<Ui::CFieldPropDlg> m_ui;
    const CDataTable &m_table;
    int m_existing;
    int m_originalType;
    // The type the user agreed to change to, so that the question is not
    // asked again when another check keeps the page open.
    int m_confirmedType;
};

} // namespace orvel
