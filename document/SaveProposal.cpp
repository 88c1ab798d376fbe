#include "document/SaveProposal.h"

#include <QRegularExpression>

namespace orvel {

QString FileExtension(const QString &path)
{
    return path.right(3).toLower();
}

QString ProposeSaveName(const QString &path, const QString &title)
{
    if (!path.isEmpty())
        return path;
    QString name = title.left(8);
    const qsizetype cut = name.indexOf(QRegularExpression(QStringLiteral(R"([ #%;/\\])")));
    if (cut >= 0)
        name.truncate(cut);
    return name + QStringLiteral(".ovd");
}

} // namespace orvel
