#include "setup/ui/SetupWizard.h"

#include "setup/SetupFiles.h"
#include "setup/SetupStrings.h"
#include "setup/ui/SetupPrompter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QStorageInfo>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace orvel::setup {
namespace {

// Folders below the applications menu are read this deep at most.
constexpr int kMaxMenuDepth = 4;

QString nearestExisting(QString path)
{
    while (!path.isEmpty() && path != QLatin1String("/") && !QFileInfo::exists(path))
        path = QFileInfo(path).absolutePath();
    return path.isEmpty() ? QStringLiteral("/") : path;
}

QString driveOf(const QString &path)
{
    const QStorageInfo storage(nearestExisting(path));
    return storage.isValid() ? storage.rootPath() : QStringLiteral("/");
}

bool hasControlCharacter(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7f; });
}

QLabel *wrapped(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

void addMenuFolders(QTreeWidgetItem *parent, const QString &path, const QString &relative, int depth)
{
    if (depth > kMaxMenuDepth)
        return;
    const QFileInfoList entries =
            QDir(path).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &entry : entries) {
        if (entry.isSymLink())
            continue;
        auto *item = new QTreeWidgetItem(parent, {entry.fileName()});
        const QString inner = relative.isEmpty() ? entry.fileName() : relative + QLatin1Char('/') + entry.fileName();
        item->setData(0, Qt::UserRole, inner);
        addMenuFolders(item, entry.absoluteFilePath(), inner, depth + 1);
    }
}

} // namespace

CSetupWizard::CSetupWizard(const SetupInf &inf, SetupSettings &settings, WizardOptions options,
                           ISetupPrompter &prompter, QWidget *parent)
    : QDialog(parent)
    , m_inf(inf)
    , m_settings(settings)
    , m_options(std::move(options))
    , m_prompter(prompter)
{
    setObjectName(QStringLiteral("SetupWizard"));
    setWindowTitle(inf.programName + QStringLiteral(" Setup"));

    // The banner on the left in Setup's colour, the page on the right.
    auto *banner = new QLabel(inf.programName, this);
    banner->setObjectName(QStringLiteral("banner"));
    banner->setFixedWidth(150);
    banner->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    banner->setWordWrap(true);
    banner->setMargin(16);
    banner->setAutoFillBackground(true);
    QPalette palette = banner->palette();
    palette.setColor(QPalette::Window, QColor(0, 128, 128));
    palette.setColor(QPalette::WindowText, Qt::white);
    banner->setPalette(palette);
    QFont bannerFont = banner->font();
    bannerFont.setPointSizeF(bannerFont.pointSizeF() * 1.8);
    bannerFont.setBold(true);
    bannerFont.setItalic(true);
    banner->setFont(bannerFont);

    m_pages = new QStackedWidget(this);
    m_pages->addWidget(welcomePage());
    m_pages->addWidget(targetPage());
    m_pages->addWidget(spacePage());
    m_pages->addWidget(menuPage());
    m_pages->addWidget(summaryPage());
    m_pages->addWidget(copyingPage());
    m_pages->addWidget(finishedPage());

    m_back = new QPushButton(QStringLiteral("< &Zurück"), this);
    m_back->setObjectName(QStringLiteral("back"));
    m_next = new QPushButton(QStringLiteral("&Weiter >"), this);
    m_next->setObjectName(QStringLiteral("next"));
    m_next->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    connect(m_back, &QPushButton::clicked, this, &CSetupWizard::Back);
    connect(m_next, &QPushButton::clicked, this, &CSetupWizard::Next);
    connect(m_cancel, &QPushButton::clicked, this, &CSetupWizard::Cancel);

    auto *line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_back);
    buttons->addWidget(m_next);
    buttons->addSpacing(12);
    buttons->addWidget(m_cancel);

    auto *top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->addWidget(banner);
    top->addWidget(m_pages, 1);
    auto *outer = new QVBoxLayout(this);
    outer->addLayout(top, 1);
    outer->addWidget(line);
    outer->addLayout(buttons);
    resize(600, 400);
    showPage(Welcome);
}

QWidget *CSetupWizard::makePage(Page page, const QString &title, QWidget *content)
{
    static const char *const names[] = {"welcomePage", "targetPage",  "spacePage",   "menuPage",
                                        "summaryPage", "copyingPage", "finishedPage"};
    auto *widget = new QWidget(this);
    widget->setObjectName(QLatin1String(names[page]));
    auto *layout = new QVBoxLayout(widget);
    auto *heading = new QLabel(title, widget);
    heading->setObjectName(QStringLiteral("title"));
    QFont font = heading->font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * 1.3);
    heading->setFont(font);
    layout->addWidget(heading);
    content->setParent(widget);
    layout->addWidget(content, 1);
    return widget;
}

QWidget *CSetupWizard::welcomePage()
{
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(wrapped(
            QStringLiteral("Dieses Programm installiert %1 auf Ihrem Computer.\n\n"
                           "Es wird dringend empfohlen, alle anderen laufenden Anwendungen zu beenden, bevor Sie "
                           "Setup fortsetzen.\n\n"
                           "Klicken Sie auf \"Weiter >\", um fortzufahren, oder auf \"Abbrechen\", um Setup zu "
                           "beenden.")
                    .arg(m_inf.programName),
            content));
    layout->addStretch(1);
    auto *about = new QPushButton(QStringLiteral("Info über..."), content);
    about->setObjectName(QStringLiteral("about"));
    connect(about, &QPushButton::clicked, this, [this] {
        QDialog *dialog = new QDialog(this);
        dialog->setObjectName(QStringLiteral("AboutSetup"));
        dialog->setWindowTitle(QStringLiteral("Info über Setup"));
        auto *box = new QVBoxLayout(dialog);
        box->addWidget(wrapped(QStringLiteral("%1 Setup\nVersion %2\n\nInstalliert und entfernt %1.")
                                       .arg(m_inf.programName, ProgramFileVersion().toString()),
                               dialog));
        auto *ok = new QPushButton(QStringLiteral("OK"), dialog);
        connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
        box->addWidget(ok, 0, Qt::AlignRight);
        dialog->exec();
        delete dialog;
    });
    layout->addWidget(about, 0, Qt::AlignLeft);
    return makePage(Welcome, QStringLiteral("Willkommen zu Setup!"), content);
}

QWidget *CSetupWizard::targetPage()
{
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(wrapped(
            QStringLiteral("Setup installiert %1 in den unten angegebenen Ordner.\n\n"
                           "Um in diesen Ordner zu installieren, klicken Sie auf \"Weiter >\". Um in einen anderen "
                           "Ordner zu installieren, geben Sie ihn ein oder klicken Sie auf \"Durchsuchen...\".")
                    .arg(m_inf.programName),
            content));
    layout->addStretch(1);
    auto *label = new QLabel(QStringLiteral("&Zielordner:"), content);
    m_targetEdit = new QLineEdit(content);
    m_targetEdit->setObjectName(QStringLiteral("targetFolder"));
    m_targetEdit->setText(QDir::cleanPath(m_settings.ProgramFilesDir() + QLatin1Char('/') + m_inf.defaultFolder));
    label->setBuddy(m_targetEdit);
    auto *browse = new QPushButton(QStringLiteral("&Durchsuchen..."), content);
    browse->setObjectName(QStringLiteral("browse"));
    connect(browse, &QPushButton::clicked, this, &CSetupWizard::browse);
    auto *row = new QHBoxLayout;
    row->addWidget(m_targetEdit, 1);
    row->addWidget(browse);
    layout->addWidget(label);
    layout->addLayout(row);
    return makePage(Target, QStringLiteral("Zielordner"), content);
}

QWidget *CSetupWizard::spacePage()
{
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(wrapped(QStringLiteral("Auf den Laufwerken ist nicht genügend Speicherplatz für die "
                                             "Installation vorhanden."),
                              content));
    m_spaceText = new QLabel(content);
    m_spaceText->setObjectName(QStringLiteral("space"));
    m_spaceText->setTextFormat(Qt::PlainText);
    layout->addWidget(m_spaceText);
    layout->addWidget(wrapped(QStringLiteral("Schaffen Sie Platz auf den Laufwerken, wählen Sie mit \"< Zurück\" "
                                             "einen anderen Zielordner, oder klicken Sie auf \"Weiter >\", um "
                                             "dennoch fortzufahren."),
                              content));
    layout->addStretch(1);
    return makePage(Space, QStringLiteral("Speicherplatz fehlt"), content);
}

QWidget *CSetupWizard::menuPage()
{
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(wrapped(QStringLiteral("Setup legt die Verknüpfungen im unten angegebenen Programm-Ordner "
                                             "an. Sie können einen neuen Namen eingeben oder einen vorhandenen "
                                             "Ordner auswählen, in dem der Programm-Ordner angelegt wird."),
                              content));
    auto *nameLabel = new QLabel(QStringLiteral("&Programm-Ordner:"), content);
    m_menuName = new QLineEdit(m_inf.programName, content);
    m_menuName->setObjectName(QStringLiteral("menuName"));
    nameLabel->setBuddy(m_menuName);
    layout->addWidget(nameLabel);
    layout->addWidget(m_menuName);
    auto *treeLabel = new QLabel(QStringLiteral("&Vorhandene Ordner:"), content);
    m_menuTree = new QTreeWidget(content);
    m_menuTree->setObjectName(QStringLiteral("menuTree"));
    m_menuTree->setHeaderHidden(true);
    treeLabel->setBuddy(m_menuTree);
    layout->addWidget(treeLabel);
    layout->addWidget(m_menuTree, 1);
    m_menuStatus = new QLabel(content);
    m_menuStatus->setObjectName(QStringLiteral("menuStatus"));
    layout->addWidget(m_menuStatus);
    layout->addWidget(new QLabel(QStringLiteral("Verknüpfungen werden angelegt in:"), content));
    m_menuPath = new QLabel(content);
    m_menuPath->setObjectName(QStringLiteral("menuPath"));
    m_menuPath->setTextFormat(Qt::PlainText);
    layout->addWidget(m_menuPath);
    connect(m_menuName, &QLineEdit::textChanged, this, &CSetupWizard::updateMenuPath);
    connect(m_menuTree, &QTreeWidget::currentItemChanged, this, &CSetupWizard::updateMenuPath);
    return makePage(Menu, QStringLiteral("Programm-Ordner"), content);
}

QWidget *CSetupWizard::summaryPage()
{
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    m_summary = new QLabel(content);
    m_summary->setObjectName(QStringLiteral("summary"));
    m_summary->setTextFormat(Qt::PlainText);
    // Paths are not wrapped; a long one is cut off rather than widening the window.
    m_summary->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    m_summary->setMinimumWidth(1);
    m_summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_summary);
    layout->addStretch(1);
    layout->addWidget(
            wrapped(QStringLiteral("Klicken Sie auf \"Weiter >\", um die Installation zu starten."), content));
    return makePage(Summary, QStringLiteral("Installation starten"), content);
}

QWidget *CSetupWizard::copyingPage()
{
    auto *content = new QWidget;
    auto *grid = new QGridLayout(content);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(new QLabel(QStringLiteral("Quelldatei:"), content), 0, 0);
    m_sourceFile = new QLabel(content);
    m_sourceFile->setObjectName(QStringLiteral("sourceFile"));
    m_sourceFile->setTextFormat(Qt::PlainText);
    grid->addWidget(m_sourceFile, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Zieldatei:"), content), 1, 0);
    m_targetFile = new QLabel(content);
    m_targetFile->setObjectName(QStringLiteral("targetFile"));
    m_targetFile->setTextFormat(Qt::PlainText);
    grid->addWidget(m_targetFile, 1, 1);
    m_progress = new QProgressBar(content);
    m_progress->setObjectName(QStringLiteral("progress"));
    grid->addWidget(m_progress, 2, 0, 1, 2);
    m_copyStatus = new QLabel(content);
    m_copyStatus->setObjectName(QStringLiteral("copyStatus"));
    grid->addWidget(m_copyStatus, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(4, 1);
    // Long paths must not widen the window.
    m_sourceFile->setMinimumWidth(1);
    m_targetFile->setMinimumWidth(1);
    return makePage(Copying, QStringLiteral("Dateien werden kopiert"), content);
}

QWidget *CSetupWizard::finishedPage()
{
    auto *content = wrapped(QStringLiteral("%1 wurde erfolgreich installiert.\n\n"
                                           "Sie finden das Programm im Programm-Ordner, den Sie gewählt haben. "
                                           "Klicken Sie auf \"OK\", um Setup zu beenden.")
                                    .arg(m_inf.programName),
                            nullptr);
    content->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    return makePage(Finished, QStringLiteral("Setup ist abgeschlossen"), content);
}

CSetupWizard::Page CSetupWizard::CurrentPage() const
{
    return Page(m_pages->currentIndex());
}

QString CSetupWizard::LogPath() const
{
    return m_target + QLatin1Char('/') + QLatin1String(kLogName);
}

void CSetupWizard::showPage(Page page)
{
    m_pages->setCurrentIndex(page);
    m_back->setEnabled(page != Welcome && page != Copying);
    m_back->setVisible(page != Finished);
    m_next->setEnabled(page != Copying);
    m_next->setText(page == Finished ? QStringLiteral("OK") : QStringLiteral("&Weiter >"));
    m_cancel->setVisible(page != Finished);
    m_next->setDefault(true);
    if (page == Menu) {
        if (m_menuTree->topLevelItemCount() == 0)
            fillMenuTree();
        updateMenuPath();
    }
    if (page == Summary) {
        QString text = SetupString(IDS_SUMMARY);
        // The second "%s" is looked for after the target, which may hold one.
        qsizetype at = text.indexOf(QLatin1String("%s"));
        if (at >= 0) {
            text.replace(at, 2, m_target);
            at = text.indexOf(QLatin1String("%s"), at + m_target.size());
            if (at >= 0)
                text.replace(at, 2, m_menuFolder);
        }
        m_summary->setText(text.replace(QLatin1String("\r\n"), QLatin1String("\n")));
    }
    // The page's texts changed: lay it out now, not at the next event.
    if (QLayout *layout = m_pages->currentWidget()->layout())
        layout->activate();
}

void CSetupWizard::Next()
{
    const Page page = CurrentPage();
    Page next = page;
    switch (page) {
    case Welcome:
        next = Target;
        break;
    case Target:
        if (!acceptTarget())
            return;
        next = checkSpace() ? Menu : Space;
        break;
    case Space:
        if (!m_prompter.Ask(IDS_TOO_LITTLE_SPACE, QString(), false))
            return;
        next = Menu;
        break;
    case Menu:
        if (!acceptMenu())
            return;
        next = Summary;
        break;
    case Summary:
        m_history.append(page);
        install();
        return;
    case Copying:
        return;
    case Finished:
        done(Accepted);
        return;
    }
    m_history.append(page);
    showPage(next);
}

void CSetupWizard::Back()
{
    if (m_history.isEmpty() || m_copying || CurrentPage() == Finished)
        return;
    showPage(m_history.takeLast());
}

void CSetupWizard::Cancel()
{
    if (m_copying) {
        m_cancelCopying = true;
        return;
    }
    if (m_done) {
        done(Accepted);
        return;
    }
    if (m_prompter.ConfirmExit())
        done(Rejected);
}

void CSetupWizard::reject()
{
    Cancel();
}

void CSetupWizard::closeEvent(QCloseEvent *event)
{
    event->ignore();
    Cancel();
}

void CSetupWizard::browse()
{
    const QString start = nearestExisting(m_targetEdit->text().trimmed());
    const QString folder = QFileDialog::getExistingDirectory(this, SetupString(IDS_BROWSE_PROMPT), start);
    if (!folder.isEmpty())
        m_targetEdit->setText(QDir::cleanPath(folder));
}

bool CSetupWizard::acceptTarget()
{
    QString text = m_targetEdit->text().trimmed();
    while (text.size() > 1 && text.endsWith(QLatin1Char('/')))
        text.chop(1);
    if (text.isEmpty() || !QDir::isAbsolutePath(text) || hasControlCharacter(text)
        || text.split(QLatin1Char('/')).contains(QLatin1String(".."))) {
        m_prompter.Message(IDS_INVALID_PATH, QString());
        return false;
    }
    text = QDir::cleanPath(text);
    const QFileInfo info(text);
    if (info.exists()) {
        if (!info.isDir()) {
            m_prompter.Message(IDS_INVALID_PATH, QString());
            return false;
        }
    } else {
        if (!QFileInfo(info.absolutePath()).isDir()) {
            m_prompter.Message(IDS_INVALID_PATH, QString());
            return false;
        }
        if (text != QLatin1String("/") && !m_prompter.Ask(IDS_CREATE_FOLDER, text, true))
            return false;
    }
    m_target = text;
    m_targetEdit->setText(text);
    return true;
}

bool CSetupWizard::checkSpace()
{
    InstallOptions options;
    options.sourceFolder = m_options.sourceFolder;
    options.targetFolder = m_target;
    options.menuFolder = m_options.menuBase;
    const CSetupInstaller installer(m_inf, m_settings, options, {});
    const SpaceCheck check = installer.CheckSpace();
    const QString windows = m_settings.paths().windowsFolder;
    m_spaceText->setText(QStringLiteral("Programmdateien auf %1:\n"
                                        "    benötigt %2, verfügbar %3\n\n"
                                        "Gemeinsame Dateien auf %4:\n"
                                        "    benötigt %5, verfügbar %6")
                                 .arg(driveOf(m_target), FormatMegabytes(check.targetRequired),
                                      FormatMegabytes(check.targetFree), driveOf(windows),
                                      FormatMegabytes(check.windowsRequired), FormatMegabytes(check.windowsFree)));
    return check.enough();
}

void CSetupWizard::fillMenuTree()
{
    m_menuStatus->setText(SetupString(IDS_READING_MENU));
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    m_menuTree->clear();
    auto *root = new QTreeWidgetItem(m_menuTree, {QStringLiteral("Programme")});
    root->setData(0, Qt::UserRole, QString());
    addMenuFolders(root, m_options.menuBase, QString(), 1);
    root->setExpanded(true);
    m_menuTree->setCurrentItem(root);
    m_menuStatus->clear();
}

QString CSetupWizard::selectedMenuParent() const
{
    const QTreeWidgetItem *item = m_menuTree->currentItem();
    return item ? item->data(0, Qt::UserRole).toString() : QString();
}

void CSetupWizard::updateMenuPath()
{
    const QString parent = selectedMenuParent();
    QString path = m_options.menuBase;
    if (!parent.isEmpty())
        path += QLatin1Char('/') + parent;
    m_menuPath->setText(path + QLatin1Char('/') + m_menuName->text().trimmed());
}

bool CSetupWizard::acceptMenu()
{
    const QString name = m_menuName->text().trimmed();
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..") || name.contains(QLatin1Char('/'))
        || hasControlCharacter(name)) {
        m_prompter.Message(IDS_INVALID_PATH, QString());
        return false;
    }
    const QString parent = selectedMenuParent();
    m_menuFolder =
            m_options.menuBase + (parent.isEmpty() ? QString() : QLatin1Char('/') + parent) + QLatin1Char('/') + name;
    return true;
}

void CSetupWizard::install()
{
    showPage(Copying);
    m_copying = true;
    m_cancelCopying = false;
    InstallOptions options;
    options.sourceFolder = m_options.sourceFolder;
    options.targetFolder = m_target;
    options.menuFolder = m_menuFolder;
    options.setupExecutable = m_options.setupExecutable;
    options.programVersion = ProgramFileVersion();
    InstallCallbacks callbacks;
    // "Abbrechen" while a disk is asked for stops the copying as well.
    callbacks.insertDisk = [this](int disk, const QString &label) {
        return m_prompter.InsertDisk(disk, label) && !m_cancelCopying;
    };
    callbacks.overwriteNewer = [this](const VersionConflict &conflict) { return m_prompter.OverwriteNewer(conflict); };
    callbacks.message = [this](int id, const QString &argument) { m_prompter.Message(id, argument); };
    callbacks.status = [this](int id) {
        m_copyStatus->setText(SetupString(id));
        QApplication::processEvents();
    };
    callbacks.progress = [this](int index, int count, const QString &source, const QString &target) {
        m_sourceFile->setText(source);
        // Shared files and controls go to the folder all installations share.
        const bool shared = index < m_inf.files.size() && m_inf.files.at(index).kind != FileKind::Program;
        m_targetFile->setText((shared ? m_settings.paths().windowsFolder : m_target) + QLatin1Char('/') + target);
        m_progress->setRange(0, count);
        m_progress->setValue(index);
        QApplication::processEvents();
        return !m_cancelCopying;
    };
    CSetupInstaller installer(m_inf, m_settings, options, callbacks);
    const InstallResult result = installer.Install();
    m_copying = false;
    if (result != InstallResult::Done) {
        done(Rejected); // message 114 was shown
        return;
    }
    m_progress->setValue(m_progress->maximum());
    m_done = true;
    showPage(Finished);
}

} // namespace orvel::setup
