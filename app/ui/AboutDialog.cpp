#include "app/ui/AboutDialog.h"

#include "ui_AboutDialog.h"

#include "platform/ProgramVersion.h"

#include <QDir>
#include <QIcon>
#include <QPushButton>

namespace orvel {

AboutDialog::Facts AboutDialog::ReadFacts()
{
    Facts facts;
    facts.memory = SystemInfo::ReadMemory();
    facts.processor = SystemInfo::ReadProcessor();
    facts.freeDiskKB = SystemInfo::ReadFreeDiskKB(QDir::currentPath());
    facts.kernel = SystemInfo::ReadKernelVersion();
    return facts;
}

AboutDialog::AboutDialog(const Facts &facts, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::AboutDialog>())
{
    m_ui->setupUi(this);
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    connect(m_ui->buttonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);

    // The program's own emblem, large, where a picture of the program goes.
    m_ui->iconLabel->setPixmap(QIcon(QStringLiteral(":/orvel/icons/orvel.svg")).pixmap(QSize(64, 64)));
    QFont title = m_ui->titleLabel->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setBold(true);
    m_ui->titleLabel->setFont(title);

    m_ui->versionLabel->setText(QStringLiteral("Version ") + ProgramVersion());
    m_ui->buildLabel->setText(BuildStamp());
    m_ui->processorLabel->setText(SystemInfo::ProcessorText(facts.processor));
    m_ui->freeMemoryLabel->setText(SystemInfo::MemoryText(facts.memory.availableKB));
    m_ui->totalMemoryLabel->setText(SystemInfo::MemoryText(facts.memory.totalKB));
    m_ui->diskLabel->setText(SystemInfo::DiskText(facts.freeDiskKB));
    m_ui->systemLabel->setText(SystemInfo::SystemText(facts.kernel));
    // The facts can be copied into a bug report.
    for (QLabel *label : {m_ui->versionLabel, m_ui->buildLabel, m_ui->processorLabel, m_ui->freeMemoryLabel,
                          m_ui->totalMemoryLabel, m_ui->diskLabel, m_ui->systemLabel})
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_ui->buttonBox->button(QDialogButtonBox::Ok)->setFocus();
    setFixedSize(sizeHint());
}

AboutDialog::~AboutDialog() = default;

QLabel *AboutDialog::VersionLabel() const
{
    return m_ui->versionLabel;
}

QLabel *AboutDialog::BuildLabel() const
{
    return m_ui->buildLabel;
}

QLabel *AboutDialog::ProcessorLabel() const
{
    return m_ui->processorLabel;
}

QLabel *AboutDialog::FreeMemoryLabel() const
{
    return m_ui->freeMemoryLabel;
}

QLabel *AboutDialog::TotalMemoryLabel() const
{
    return m_ui->totalMemoryLabel;
}

QLabel *AboutDialog::DiskLabel() const
{
    return m_ui->diskLabel;
}

QLabel *AboutDialog::SystemLabel() const
{
    return m_ui->systemLabel;
}

void RunAboutDialog(QWidget *parent)
{
    AboutDialog dialog(AboutDialog::ReadFacts(), parent);
    dialog.exec();
}

} // namespace orvel
