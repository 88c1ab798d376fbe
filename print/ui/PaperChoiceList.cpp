#include "print/ui/PaperChoiceList.h"

#include <QComboBox>

namespace orvel {

int FillPaperChoices(QComboBox *box, const std::vector<PaperChoice> &choices, int16_t selected)
{
    box->clear();
    for (const PaperChoice &choice : choices)
        box->addItem(choice.name, int(choice.code));
    box->setCurrentIndex(box->findData(int(selected)));
    // A printer that lists nothing leaves nothing to choose.
    box->setEnabled(box->count() > 0);
    return box->currentIndex();
}

std::optional<int16_t> SelectedPaperCode(const QComboBox *box)
{
    const int row = box->currentIndex();
    if (row < 0)
        return std::nullopt;
    return int16_t(box->itemData(row).toInt());
}

} // namespace orvel
