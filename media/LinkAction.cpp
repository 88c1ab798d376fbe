#include "media/LinkAction.h"

#include "media/LinkValue.h"
#include "platform/Codepage.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>

namespace orvel {

bool LinkFileSystem::Exists(const QString &path) const
{
    return QFileInfo::exists(path);
}

bool LinkFileSystem::IsFolder(const QString &path) const
{
    return QFileInfo(path).isDir();
}

bool LinkFileSystem::IsExecutable(const QString &path) const
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

namespace {

// Addresses the desktop opens in a browser, mail program or dialler; they
// start nothing the user did not install for them.
bool isEverydayScheme(const QString &scheme)
{
    static const QStringList schemes{QStringLiteral("http"),   QStringLiteral("https"), QStringLiteral("ftp"),
                                     QStringLiteral("mailto"), QStringLiteral("tel"),   QStringLiteral("news")};
    return schemes.contains(scheme);
}

// Schemes whose addresses have no "//".
bool isOpaqueScheme(const QString &scheme)
{
    static const QStringList schemes{QStringLiteral("mailto"), QStringLiteral("tel"), QStringLiteral("news"),
                                     QStringLiteral("sip"), QStringLiteral("callto")};
    return schemes.contains(scheme);
}

// The scheme of an address, lower-cased; empty for a file name. One
// letter before the colon is a drive ("C:\..."), not a scheme.
QString addressScheme(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]+):(//)?"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return QString();
    const QString scheme = match.captured(1).toLower();
    return match.capturedLength(2) > 0 || isOpaqueScheme(scheme) ? scheme : QString();
}

QString databaseFolder(const QString &databasePath)
{
    return databasePath.isEmpty() ? QString() : QFileInfo(databasePath).absolutePath();
}

// The file name made absolute against the database's folder ("\\" read as
// "/", as stored relative paths are). A drive path from a Windows file, or a
// relative name of a database never saved, stays as it is and is not found.
QString absoluteFile(const QString &file, const QString &databasePath)
{
    if (file.startsWith(u'/'))
        return QDir::cleanPath(file);
    const QString folder = databaseFolder(databasePath);
    const bool drivePath = file.size() >= 2 && file.at(1) == u':';
    if (drivePath || folder.isEmpty())
        return file;
    QString relative = file;
    relative.replace(u'\\', u'/');
    return QDir::cleanPath(folder + u'/' + relative);
}

LinkPlan plan(LinkStep step, QString target)
{
    LinkPlan result;
    result.step = step;
    result.target = std::move(target);
    return result;
}

} // namespace

bool IsProgramLikeFile(const QString &path)
{
    static const QStringList extensions{
            QStringLiteral("desktop"),  QStringLiteral("exe"),       QStringLiteral("com"),  QStringLiteral("bat"),
            QStringLiteral("cmd"),      QStringLiteral("pif"),       QStringLiteral("scr"),  QStringLiteral("msi"),
            QStringLiteral("vbs"),      QStringLiteral("sh"),        QStringLiteral("bash"), QStringLiteral("csh"),
            QStringLiteral("ksh"),      QStringLiteral("zsh"),       QStringLiteral("run"),  QStringLiteral("bin"),
            QStringLiteral("appimage"), QStringLiteral("jar"),       QStringLiteral("py"),   QStringLiteral("pl"),
            QStringLiteral("rb"),       QStringLiteral("flatpakref")};
    return extensions.contains(QFileInfo(path).suffix().toLower());
}

LinkPlan PlanLinkOpen(AnsiView value, const QString &databasePath, const LinkFileSystem &files)
{
    const LinkValue link = LinkValue::Parse(value);
    const QString file = AnsiToQString(link.file).trimmed();
    if (!link.IsComplete() || file.isEmpty())
        return plan(LinkStep::EditLink, QString());

    QString path;
    const QString scheme = addressScheme(file);
    if (scheme == QLatin1String("file")) {
        path = QUrl(file).toLocalFile();
        if (path.isEmpty())
            return plan(LinkStep::FileMissing, file);
    } else if (!scheme.isEmpty()) {
        return plan(isEverydayScheme(scheme) ? LinkStep::OpenUrl : LinkStep::ConfirmOpenUrl, file);
    } else if (file.startsWith(QLatin1String("www."), Qt::CaseInsensitive)) {
        // A web address written without its scheme, as people do.
        return plan(LinkStep::OpenUrl, QStringLiteral("http://") + file);
    } else {
        path = absoluteFile(file, databasePath);
    }

    if (!QFileInfo(path).isAbsolute() || !files.Exists(path))
        return plan(LinkStep::FileMissing, path);

    const QString action = AnsiToQString(link.EffectiveAction()).trimmed().toLower();
    if (action == QLatin1String("explore"))
        return plan(LinkStep::OpenFile, files.IsFolder(path) ? path : QFileInfo(path).absolutePath());
    if (files.IsFolder(path))
        return plan(LinkStep::OpenFile, path);
    if (files.IsExecutable(path)) {
        LinkPlan program = plan(LinkStep::ConfirmStartProgram, path);
        program.arguments = QProcess::splitCommand(AnsiToQString(link.parameters));
        program.workingFolder = databaseFolder(databasePath);
        if (program.workingFolder.isEmpty())
            program.workingFolder = QFileInfo(path).absolutePath();
        return program;
    }
    return plan(IsProgramLikeFile(path) ? LinkStep::ConfirmOpenFile : LinkStep::OpenFile, path);
}

LinkPlan PlanLinkOpen(AnsiView value, const QString &databasePath)
{
    return PlanLinkOpen(value, databasePath, LinkFileSystem());
}

QString LinkBrowseFolder(const QString &file, const QString &databasePath)
{
    const QString trimmed = file.trimmed();
    if (!trimmed.isEmpty() && addressScheme(trimmed).isEmpty()) {
        const QString path = absoluteFile(trimmed, databasePath);
        if (QFileInfo(path).isAbsolute()) {
            const QFileInfo info(path);
            const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
            if (QFileInfo(folder).isDir())
                return folder;
        }
    }
    return databaseFolder(databasePath);
}

} // namespace orvel
