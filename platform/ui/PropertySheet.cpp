#include "platform/ui/PropertySheet.h"

#include "resources/StringIds.h"
#include "resources/StringTable.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace orvel {

PropertySheet::PropertySheet(QWidget *parent)
    : QDialog(parent)
    , m_tabs(new QTabWidget(this))
    , m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setWindowTitle(LoadQString(ids::kPropertiesTitle));
    setObjectName(QStringLiteral("PropertySheet"));
    m_buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    m_buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &PropertySheet::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &PropertySheet::reject);
    connect(m_tabs, &QTabWidget::currentChanged, this, &PropertySheet::onTabChanged);
}

void PropertySheet::AddPage(PropertyPage *page)
{
    m_pages.push_back(page);
    m_tabs->addTab(page, page->windowTitle());
    if (m_current < 0)
        m_current = 0;
}

PropertyPage *PropertySheet::Page(int index) const
{
    return index >= 0 && index < PageCount() ? m_pages[std::size_t(index)] : nullptr;
}

void PropertySheet::SetActivePage(int index)
{
    if (index < 0 || index >= PageCount())
        return;
    m_switching = true;
    m_tabs->setCurrentIndex(index);
    m_switching = false;
    m_current = index;
}

PropertyPage *PropertySheet::ActivePage() const
{
    return Page(m_current);
}

void PropertySheet::onTabChanged(int index)
{
    if (m_switching || index == m_current)
        return;
    PropertyPage *leaving = ActivePage();
    if (leaving != nullptr && !leaving->OnKillActive()) {
        // The page keeps the user until its values are right.
        m_switching = true;
        m_tabs->setCurrentIndex(m_current);
        m_switching = false;
        return;
    }
    m_current = index;
}

void PropertySheet::accept()
{
    PropertyPage *active = ActivePage();
    if (active != nullptr && !active->OnKillActive())
        return;
    QDialog::accept();
}

} // namespace orvel
