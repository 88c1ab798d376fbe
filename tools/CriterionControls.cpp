#include "tools/CriterionControls.h"

#include "platform/Codepage.h"
#include "platform/ui/AnsiTextValidator.h"
#include "table/DataTable.h"
#include "table/FieldName.h"
#include "table/FieldType.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace orvel {

void CriterionControls::Show(const CDataTable &table, const SearchCriterion &criterion,
                             const QStringList &history) const
{
    field->clear();
    for (int pos = 0; pos < table.GetFieldCount(); ++pos) {
        if (IsDataType(table.GetFieldType(pos)))
            field->addItem(AnsiToQString(PlainFieldName(table.GetFieldName(pos))), pos);
    }
    const int selected = field->findData(criterion.field);
    field->setCurrentIndex(selected >= 0 ? selected : (field->count() > 0 ? 0 : -1));

    ShowHistory(text, history);
    matchCase->setChecked(criterion.options & SO_MATCH_CASE);
    negative->setChecked(criterion.options & SO_NEGATIVE);
    wholeWord->setChecked(criterion.options & SO_WHOLE_WORD);
    beginsWith->setChecked(criterion.options & SO_BEGINS_WITH);
}

int CriterionControls::Field() const
{
    return field->currentIndex() >= 0 ? field->currentData().toInt() : -1;
}

std::uint32_t CriterionControls::Options() const
{
    std::uint32_t options = 0;
    if (matchCase->isChecked())
        options |= SO_MATCH_CASE;
    if (negative->isChecked())
        options |= SO_NEGATIVE;
    if (wholeWord->isChecked())
        options |= SO_WHOLE_WORD;
    if (beginsWith->isChecked())
        options |= SO_BEGINS_WITH;
    return options;
}

void CriterionControls::SetEnabled(bool enabled) const
{
    for (QWidget *control : std::initializer_list<QWidget *>{field, text, matchCase, negative, wholeWord, beginsWith})
        control->setEnabled(enabled);
}

void CriterionControls::ShowHistory(QComboBox *combo, const QStringList &history)
{
    combo->clear();
    combo->addItems(history);
    QLineEdit *edit = combo->lineEdit();
    edit->setMaxLength(kMaxTextLength);
    if (!edit->validator())
        edit->setValidator(new AnsiTextValidator(edit));
    edit->setText(history.value(0));
    edit->selectAll();
}

QString CriterionControls::TextOf(const QComboBox *combo)
{
    return combo->currentText();
}

QStringList CriterionControls::ItemsOf(const QComboBox *combo)
{
    QStringList items;
    items.reserve(combo->count());
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

} // namespace orvel
