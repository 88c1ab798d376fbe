#include "app/ui/NewDatabaseDialog.h"

#include "resources/StringTable.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvel {

const std::array<NewDatabaseDialog::Entry, NewDatabaseDialog::kChoices> &NewDatabaseDialog::Entries()
{
    static const std::array<Entry, kChoices> entries{{
            {1034, "new-empty", nullptr},
            {1042, "new-open", nullptr},
            {1035, "new-address", "Address.dtf"},
            {1036, "new-phone", "Phone.dtf"},
            {1037, "new-www", "WWW.dtf"},
            {1039, "new-cd", "CD.dtf"},
            {1040, "new-songs", "Songs.dtf"},
            {1038, "new-books", "Books.dtf"},
            {1041, "new-photos", "Pics.dtf"},
    }};
    return entries;
}

NewDatabaseDialog::NewDatabaseDialog(bool showAtStart, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Neue Datenbank erstellen"));
    auto *prompt = new QLabel(QStringLiteral("Wählen Sie die gewünschte Option aus:"), this);
    m_list = new QListWidget(this);
    m_list->setViewMode(QListView::IconMode);
    m_list->setIconSize(QSize(32, 32));
    m_list->setGridSize(QSize(124, 72));
    m_list->setMovement(QListView::Static);
    m_list->setResizeMode(QListView::Adjust);
    m_list->setWordWrap(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setMinimumSize(400, 240);
    for (const Entry &entry : Entries()) {
        const QIcon icon(QStringLiteral(":/orvel/icons/%1.svg").arg(QLatin1StringView(entry.icon)));
        m_list->addItem(new QListWidgetItem(icon, LoadQString(entry.textId)));
    }
    m_list->setCurrentRow(0);
    m_list->setFocus();
    prompt->setBuddy(m_list);
    m_showAtStart = new QCheckBox(QStringLiteral("&Bei Programmstart zeigen"), this);
    m_showAtStart->setChecked(showAtStart);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A double click on a choice is the choice and OK.
    connect(m_list, &QListWidget::itemActivated, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_list);
    layout->addWidget(m_showAtStart);
    layout->addWidget(buttons);
}

int NewDatabaseDialog::Selected() const
{
    const QList<QListWidgetItem *> selected = m_list->selectedItems();
    return selected.isEmpty() ? -1 : m_list->row(selected.last());
}

bool NewDatabaseDialog::ShowAtStart() const
{
    return m_showAtStart->isChecked();
}

} // namespace orvel
