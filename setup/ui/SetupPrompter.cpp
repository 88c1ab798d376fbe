#include "setup/ui/SetupPrompter.h"

#include "setup/SetupStrings.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <cstdio>

namespace orvel::setup {
namespace {

// Message texts use "\r\n" in places; a label wants "\n".
QString plain(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n")).trimmed();
}

enum class Icon { None, Information, Question, Warning, Stop };

QLabel *iconLabel(QWidget *parent, Icon icon)
{
    QStyle::StandardPixmap pixmap = QStyle::SP_MessageBoxInformation;
    switch (icon) {
    case Icon::None:
        return nullptr;
    case Icon::Information:
        break;
    case Icon::Question:
        pixmap = QStyle::SP_MessageBoxQuestion;
        break;
    case Icon::Warning:
        pixmap = QStyle::SP_MessageBoxWarning;
        break;
    case Icon::Stop:
        pixmap = QStyle::SP_MessageBoxCritical;
        break;
    }
    auto *label = new QLabel(parent);
    const int size = parent->style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, parent);
    label->setPixmap(parent->style()->standardIcon(pixmap, nullptr, parent).pixmap(size, size));
    label->setAlignment(Qt::AlignTop);
    return label;
}

// A dialog with an icon beside its body and a row of buttons: the first
// accepts, the second (if any) rejects. Buttons are named "button0", ...
QDialog *makeDialog(QWidget *parent, const QString &title, Icon icon, QWidget *body, const QStringList &buttons,
                    int defaultButton, const QString &name)
{
    auto *dialog = new QDialog(parent);
    dialog->setObjectName(name);
    dialog->setWindowTitle(title);
    auto *outer = new QVBoxLayout(dialog);
    auto *top = new QHBoxLayout;
    if (QLabel *label = iconLabel(dialog, icon))
        top->addWidget(label);
    body->setParent(dialog);
    top->addWidget(body, 1);
    outer->addLayout(top);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    for (int i = 0; i < buttons.size(); ++i) {
        auto *button = new QPushButton(buttons.at(i), dialog);
        button->setObjectName(QStringLiteral("button%1").arg(i));
        button->setAutoDefault(true);
        button->setDefault(i == defaultButton);
        // Return answers with the default button, not with the first one
        // that happens to take the focus.
        if (i == defaultButton)
            button->setFocus();
        QObject::connect(button, &QPushButton::clicked, dialog, i == 0 ? &QDialog::accept : &QDialog::reject);
        row->addWidget(button);
    }
    outer->addLayout(row);
    dialog->setSizeGripEnabled(false);
    return dialog;
}

QLabel *textLabel(const QString &text)
{
    auto *label = new QLabel(text);
    label->setObjectName(QStringLiteral("text"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(false);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

Icon iconOf(int id)
{
    switch (id) {
    case IDS_UNINSTALL_DONE:
    case IDS_UNINSTALL_INCOMPLETE:
    case IDS_CREATING_SHORTCUTS:
    case IDS_READING_MENU:
    case IDS_UPDATING_REGISTRY:
        return Icon::Information;
    case IDS_INVALID_PATH:
    case IDS_FILE_IN_USE:
    case IDS_CONTROL_NOT_REGISTERED:
    case IDS_CONTROL_NOT_UNREGISTERED:
        return Icon::Warning;
    default:
        return Icon::Stop;
    }
}

// The version and date lines of the file dialogs.
QWidget *fileDetails(const QStringList &rows)
{
    auto *box = new QWidget;
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i + 1 < rows.size(); i += 2) {
        grid->addWidget(new QLabel(rows.at(i), box), i / 2, 0);
        auto *value = new QLabel(rows.at(i + 1), box);
        value->setTextFormat(Qt::PlainText);
        grid->addWidget(value, i / 2, 1);
    }
    grid->setColumnStretch(1, 1);
    return box;
}

bool run(QDialog *dialog)
{
    const bool accepted = dialog->exec() == QDialog::Accepted;
    delete dialog;
    return accepted;
}

} // namespace

QDialog *CreateMessageDialog(QWidget *parent, int id, const QString &argument)
{
    return makeDialog(parent, QLatin1String(kSetupTitle), iconOf(id), textLabel(plain(SetupMessage(id, argument))),
                      {QStringLiteral("OK")}, 0, QStringLiteral("SetupMessage%1").arg(id));
}

QDialog *CreateQuestionDialog(QWidget *parent, const QString &text, bool defaultYes)
{
    return makeDialog(parent, QLatin1String(kSetupTitle), Icon::Question, textLabel(plain(text)),
                      {QStringLiteral("&Ja"), QStringLiteral("&Nein")}, defaultYes ? 0 : 1,
                      QStringLiteral("SetupQuestion"));
}

QDialog *CreateDiskDialog(QWidget *parent, int disk, const QString &label)
{
    auto *body = new QWidget;
    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(textLabel(QStringLiteral("Bitte legen Sie den folgenden Datenträger ein:")));
    auto *name = new QLabel(label.isEmpty() ? QStringLiteral("Diskette %1").arg(disk) : label, body);
    name->setObjectName(QStringLiteral("label"));
    name->setTextFormat(Qt::PlainText);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    layout->addWidget(name);
    layout->addWidget(textLabel(QStringLiteral("Klicken Sie danach auf \"OK\".")));
    return makeDialog(parent, QStringLiteral("Datenträgerwechsel"), Icon::Information, body,
                      {QStringLiteral("OK"), QStringLiteral("Abbrechen")}, 0, QStringLiteral("DiskDialog"));
}

QDialog *CreateVersionDialog(QWidget *parent, const VersionConflict &conflict)
{
    auto *body = new QWidget;
    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(textLabel(QStringLiteral("Die folgende Datei ist in einer neueren Version schon vorhanden:")));
    auto *path = textLabel(conflict.path);
    path->setObjectName(QStringLiteral("path"));
    layout->addWidget(path);
    layout->addWidget(fileDetails({QStringLiteral("Vorhandene Datei:"), QString(), QStringLiteral("    Version:"),
                                   conflict.installedVersion, QStringLiteral("    Datum:"), conflict.installedDate,
                                   QStringLiteral("Neue Datei:"), QString(), QStringLiteral("    Version:"),
                                   conflict.newVersion, QStringLiteral("    Datum:"), conflict.newDate}));
    layout->addWidget(textLabel(QStringLiteral("Soll die vorhandene Datei überschrieben werden?")));
    return makeDialog(parent, QStringLiteral("Datei ist schon vorhanden"), Icon::Question, body,
                      {QStringLiteral("&Überschreiben"), QStringLiteral("Beibehalten")}, 1,
                      QStringLiteral("VersionDialog"));
}

QDialog *CreateRemoveSharedDialog(QWidget *parent, const SharedFileQuestion &question)
{
    auto *body = new QWidget;
    auto *layout = new QVBoxLayout(body);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(
            textLabel(QStringLiteral("Folgende Datei wird unter Umständen von anderen Anwendungen benötigt.")));
    auto *path = textLabel(question.path);
    path->setObjectName(QStringLiteral("path"));
    layout->addWidget(path);
    layout->addWidget(
            fileDetails({QStringLiteral("Version:"), question.version, QStringLiteral("Datum:"), question.date}));
    layout->addWidget(textLabel(QStringLiteral("Soll diese Datei nun entfernt werden?")));
    // "&Beibehalten" is the default; "Entfernen" accepts.
    QDialog *dialog = makeDialog(parent, QStringLiteral("Entfernen einer Datei"), Icon::Question, body,
                                 {QStringLiteral("Entfernen"), QStringLiteral("&Beibehalten")}, 1,
                                 QStringLiteral("RemoveSharedDialog"));
    return dialog;
}

QDialog *CreateUninstallDialog(QWidget *parent)
{
    const QString text = QStringLiteral(
            "Sie sind in Begriff, Orvel 97 zu entfernen. \n\nWenn Sie fortfahren, werden alle installierten Dateien "
            "entfernt und Sie können die Anwendung nicht mehr benutzen.\n\nMöchten Sie Orvel 97 wirklich entfernen?");
    QLabel *label = textLabel(text);
    label->setWordWrap(true);
    label->setMinimumWidth(360);
    return makeDialog(parent, QStringLiteral("Entfernen"), Icon::Question, label,
                      {QStringLiteral("&Ja"), QStringLiteral("&Nein")}, 1, QStringLiteral("UninstallDialog"));
}

// --- unattended ---

void CUnattendedPrompter::Message(int id, const QString &argument)
{
    std::fprintf(stderr, "Setup: %s\n", plain(SetupMessage(id, argument)).toLocal8Bit().constData());
}

bool CUnattendedPrompter::Ask(int id, const QString &argument, bool)
{
    const bool yes = id != IDS_TOO_LITTLE_SPACE;
    std::fprintf(stderr, "Setup: %s %s\n", plain(SetupMessage(id, argument)).toLocal8Bit().constData(),
                 yes ? "Ja" : "Nein");
    return yes;
}

bool CUnattendedPrompter::InsertDisk(int disk, const QString &label)
{
    std::fprintf(stderr, "Setup: Disk%d.id (%s) fehlt\n", disk, label.toLocal8Bit().constData());
    return false;
}

// --- dialogs ---

CDialogPrompter::CDialogPrompter(QWidget *parent)
    : m_parent(parent)
{}

CDialogPrompter::~CDialogPrompter()
{
    delete m_progress;
}

void CDialogPrompter::Message(int id, const QString &argument)
{
    run(CreateMessageDialog(m_parent, id, argument));
}

bool CDialogPrompter::Ask(int id, const QString &argument, bool defaultYes)
{
    return run(CreateQuestionDialog(m_parent, SetupMessage(id, argument), defaultYes));
}

bool CDialogPrompter::ConfirmExit()
{
    QDialog *dialog = CreateQuestionDialog(m_parent, QStringLiteral("Wollen Sie Setup wirklich beenden?"), false);
    dialog->setObjectName(QStringLiteral("ExitDialog"));
    return run(dialog);
}

bool CDialogPrompter::InsertDisk(int disk, const QString &label)
{
    return run(CreateDiskDialog(m_parent, disk, label));
}

bool CDialogPrompter::OverwriteNewer(const VersionConflict &conflict)
{
    return run(CreateVersionDialog(m_parent, conflict));
}

bool CDialogPrompter::RemoveShared(const SharedFileQuestion &question)
{
    return run(CreateRemoveSharedDialog(m_parent, question));
}

bool CDialogPrompter::ConfirmUninstall()
{
    return run(CreateUninstallDialog(m_parent));
}

void CDialogPrompter::ShowProgress(const QString &status, const QString &path)
{
    if (!m_progress) {
        m_progress = new QDialog(m_parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        m_progress->setObjectName(QStringLiteral("UninstallProgress"));
        m_progress->setWindowTitle(QStringLiteral("Entfernen"));
        auto *layout = new QVBoxLayout(m_progress);
        m_status = new QLabel(m_progress);
        m_path = new QLabel(m_progress);
        m_path->setTextFormat(Qt::PlainText);
        m_path->setMinimumWidth(420);
        layout->addWidget(m_status);
        layout->addWidget(m_path);
        m_progress->show();
    }
    m_status->setText(status);
    m_path->setText(path);
    QApplication::processEvents();
}

void CDialogPrompter::EndProgress()
{
    delete m_progress;
    m_progress = nullptr;
}

} // namespace orvel::setup
