#include "tools/SearchBar.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace orvel {

SearchBar::SearchBar(Kind kind, QWidget *owner)
    : QDialog(owner, Qt::Tool)
    , m_kind(kind)
{
    setModal(false);
    // Closed by its button, by Escape or by the view: gone for good.
    connect(this, &QDialog::finished, this, &QObject::deleteLater);
    setWindowTitle(kind == Kind::Find ? QStringLiteral("Suchen") : QStringLiteral("Ersetzen"));
    setObjectName(kind == Kind::Find ? QStringLiteral("FindBar") : QStringLiteral("ReplaceBar"));
    auto *layout = new QHBoxLayout(this);
    m_continue = new QPushButton(QStringLiteral("Weitersuchen"), this);
    m_continue->setDefault(true);
    layout->addWidget(m_continue);
    connect(m_continue, &QPushButton::clicked, this, [this] { emit continueRequested(kContinueResult); });
    if (kind == Kind::Replace) {
        m_replace = new QPushButton(QStringLiteral("&Ersetzen"), this);
        layout->addWidget(m_replace);
        connect(m_replace, &QPushButton::clicked, this, [this] { emit continueRequested(kReplaceResult); });
    }
    m_cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    layout->addWidget(m_cancel);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(sizeHint());
}

void SearchBar::ShowAtTop()
{
    if (QWidget *top = parentWidget() ? parentWidget()->window() : nullptr) {
        const QRect area = top->geometry();
        move(area.right() - width() - 24, area.top() + 8);
    }
    show();
    raise();
}

} // namespace orvel
