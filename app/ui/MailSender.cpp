#include "app/ui/MailSender.h"

#include "document/OrvelDoc.h"
#include "platform/Services.h"
#include "platform/TempFile.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "table/ObjectStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace orvel {

namespace {} // namespace

MailSender::MailSender(QObject *parent)
    : QObject(parent)
{}

MailSender::~MailSender() = default;

QString MailSender::AttachmentName(const COrvelDoc &doc)
{
    QString name = doc.GetPathName().isEmpty() ? doc.GetTitle() : QFileInfo(doc.GetPathName()).fileName();
    if (!name.contains(u'.'))
        name += QStringLiteral(".ovd");
    // The title names a file in our own folder, nothing else.
    name.replace(u'/', u'_');
    if (name.startsWith(u'.'))
        name.prepend(u'_');
    return name;
}

QString MailSender::folderForNextMail()
{
    if (!m_folder) {
        m_folder = std::make_unique<QTemporaryDir>(QDir(TempFolder()).filePath(QStringLiteral("orvel-mail-XXXXXX")));
        if (!m_folder->isValid()) {
            m_folder.reset();
            return QString();
        }
    }
    // Each message gets its own folder: an earlier one may still be open in
    // the mail program with files of the same names.
    const QString folder = QDir(m_folder->path()).filePath(QStringLiteral("%1").arg(++m_mails));
    return QDir().mkpath(folder) ? folder : QString();
}

bool MailSender::Send(COrvelDoc &doc)
{
    m_lastAttachments.clear();
    m_lastArguments.clear();
    const QString program =
            m_program.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("xdg-email")) : m_program;
    if (program.isEmpty() || !QFileInfo(program).isExecutable()) {
        MessageBoxById(ids::kMsgNoMailSupport, MsgIcon::Exclamation);
        return false;
    }
    const QString folder = folderForNextMail();
    if (folder.isEmpty()) {
        MessageBoxById(ids::kMsgSendFailed, MsgIcon::Exclamation);
        return false;
    }
    const QString database = QDir(folder).filePath(AttachmentName(doc));
    const QString path = doc.GetPathName();
    if (!path.isEmpty() && !doc.IsModified() && QFileInfo::exists(path)) {
        // The saved file is what the user means; its object file goes with it.
        const QString objects = ObjectFilePathFor(path);
        if (!QFile::copy(path, database)
            || (QFileInfo::exists(objects) && !QFile::copy(objects, ObjectFilePathFor(database)))) {
            MessageBoxById(ids::kMsgSendFailed, MsgIcon::Exclamation);
            return false;
        }
    } else {
        // A copy of the document as it is now; its own file, path and
        // modified flag stay as they were.
        const bool saved = doc.DoSave(database, false);
        doc.EndProgress();
        if (!saved)
            return false;
    }
    m_lastAttachments << database;
    if (QFileInfo::exists(ObjectFilePathFor(database)))
        m_lastAttachments << ObjectFilePathFor(database);

    QStringList arguments{QStringLiteral("--utf8"), QStringLiteral("--body"), LoadQString(ids::kMailNote)};
    for (const QString &file : std::as_const(m_lastAttachments))
        arguments << QStringLiteral("--attach") << file;
    m_lastArguments = arguments;

    auto *process = new QProcess(this);
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        process->deleteLater();
        MessageBoxById(ids::kMsgSendFailed, MsgIcon::Exclamation);
        emit finished(false);
    });
    connect(process, &QProcess::finished, this, [this, process](int exitCode, QProcess::ExitStatus status) {
        process->deleteLater();
        const bool ok = status == QProcess::NormalExit && exitCode == 0;
        if (!ok)
            MessageBoxById(ids::kMsgSendFailed, MsgIcon::Exclamation);
        emit finished(ok);
    });
    process->start(program, arguments);
    return true;
}

} // namespace orvel
