#pragma once

#include "table/SearchCriterion.h"

#include <QStringList>

#include <cstdint>

class QCheckBox;
class QComboBox;

namespace orvel {

class CDataTable;

// The controls of one search criterion in the find or replace dialog: the
// list of data fields, the text with its history and the four option boxes.
struct CriterionControls
{
    // Longest search or replacement text the boxes take.
    static constexpr int kMaxTextLength = 32;

    QComboBox *field = nullptr;
    QComboBox *text = nullptr;
    QCheckBox *matchCase = nullptr;
    QCheckBox *negative = nullptr;
    QCheckBox *wholeWord = nullptr;
    QCheckBox *beginsWith = nullptr;

    // Fills the controls from a criterion: the data fields of the table by
    // plain name (each item holds its display position) with the
    // criterion's field selected, or the first when the list lacks it; the
    // history with its newest entry as the text; the option boxes from the
    // option bits.
    void Show(const CDataTable &table, const SearchCriterion &criterion, const QStringList &history) const;
    // The display position of the chosen field; -1 when the list is empty.
    int Field() const;
    QString Text() const { return TextOf(text); }
    std::uint32_t Options() const;
    // The history as the list was opened (what the settings get shifted
    // from).
    QStringList HistoryItems() const { return ItemsOf(text); }
    void SetEnabled(bool enabled) const;

    // A history combo: the items, the text limit and the newest entry as the
    // text.
    static void ShowHistory(QComboBox *combo, const QStringList &history);
    static QString TextOf(const QComboBox *combo);
    static QStringList ItemsOf(const QComboBox *combo);
};

} // namespace orvel
