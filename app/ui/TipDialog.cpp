#include "app/ui/TipDialog.h"

#include "app/ui/TipReader.h"
#include "platform/DataFiles.h"
#include "platform/Registry.h"
#include "platform/Services.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace orvel {

namespace {

const QString kSection = QStringLiteral("Tip");
const QString kStartUp = QStringLiteral("StartUp");
const QString kFilePos = QStringLiteral("FilePos");
const QString kTimeStamp = QStringLiteral("TimeStamp");

} // namespace

TipDialog::TipDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Tip des Tages"));

    // The heading and the tip on a white panel beside the light bulb.
    auto *panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    panel->setPalette(white);
    auto *bulb = new QLabel(panel);
    bulb->setPixmap(QIcon(QStringLiteral(":/orvel/icons/tip-bulb.svg")).pixmap(QSize(48, 48)));
    bulb->setAlignment(Qt::AlignTop);
    auto *heading = new QLabel(QStringLiteral("Wußten Sie schon..."), panel);
    QFont headingFont(QStringLiteral("Times New Roman"));
    headingFont.setStyleHint(QFont::Serif);
    headingFont.setPixelSize(20);
    headingFont.setBold(true);
    heading->setFont(headingFont);
    m_tip = new QLabel(panel);
    m_tip->setObjectName(QStringLiteral("tipText"));
    m_tip->setWordWrap(true);
    m_tip->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_tip->setTextFormat(Qt::PlainText);
    // A long tip is cut at the panel's edge rather than growing the dialog.
    m_tip->setFixedSize(300, 140);
    auto *text = new QVBoxLayout;
    text->addWidget(heading);
    text->addWidget(m_tip);
    text->addStretch();
    auto *panelLayout = new QHBoxLayout(panel);
    panelLayout->addWidget(bulb);
    panelLayout->addLayout(text);

    m_next = new QPushButton(QStringLiteral("&Nächster Tip"), this);
    m_close = new QPushButton(QStringLiteral("&Schließen"), this);
    m_close->setDefault(true);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(m_close);
    buttons->addWidget(m_next);
    buttons->addStretch();
    m_startUp = new QCheckBox(QStringLiteral("&Tips beim Programmstart anzeigen"), this);

    auto *top = new QHBoxLayout;
    top->addWidget(panel);
    top->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_startUp);
    connect(m_next, &QPushButton::clicked, this, &TipDialog::showNext);
    connect(m_close, &QPushButton::clicked, this, &TipDialog::closeTips);

    m_startUp->setChecked(ShowAtStartUp());
    qint64 position = Registry::GetProfileInt(kSection, kFilePos, 0);
    m_reader = std::make_unique<TipReader>(FindDataFile(QStringLiteral("tips.txt")));
    if (!m_reader->IsOpen()) {
        m_tip->setText(LoadQString(ids::kMsgTipsDeleted));
        m_next->setEnabled(false);
        return;
    }
    // A file that was replaced starts again at its first tip.
    const QString stamp = m_reader->TimeText();
    if (stamp != Registry::GetProfileString(kSection, kTimeStamp)) {
        position = 0;
        Registry::WriteProfileString(kSection, kTimeStamp, stamp);
    }
    if (!m_reader->Seek(position))
        MessageBoxById(ids::kMsgTipsUnreadable);
    else
        showNext();
}

TipDialog::~TipDialog()
{
    if (m_reader && m_reader->IsOpen())
        Registry::WriteProfileInt(kSection, kFilePos, int(m_reader->Position()));
}

bool TipDialog::ShowAtStartUp()
{
    return Registry::GetProfileInt(kSection, kStartUp, 0) == 0;
}

QString TipDialog::TipText() const
{
    return m_tip->text();
}

void TipDialog::showNext()
{
    m_tip->setText(m_reader->Next());
}

void TipDialog::closeTips()
{
    Registry::WriteProfileInt(kSection, kStartUp, m_startUp->isChecked() ? 0 : 1);
    accept();
}

} // namespace orvel
