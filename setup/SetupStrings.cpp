#include "setup/SetupStrings.h"

#include <QFile>
#include <QHash>

namespace orvel::setup {
namespace {

QString unescape(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\') || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar next = text.at(++i);
        switch (next.unicode()) {
        case 'n':
            out += QLatin1Char('\n');
            break;
        case 'r':
            out += QLatin1Char('\r');
            break;
        case 't':
            out += QLatin1Char('\t');
            break;
        default:
            out += next;
            break;
        }
    }
    return out;
}

const QHash<int, QString> &table()
{
    static const QHash<int, QString> strings = [] {
        QHash<int, QString> result;
        QFile file(QStringLiteral(":/setup/SetupStrings.txt"));
        if (!file.open(QIODevice::ReadOnly))
            return result;
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (const QByteArray &line : lines) {
            const QList<QByteArray> columns = line.split('\t');
            if (columns.size() < 2)
                continue;
            bool ok = false;
            const int id = columns.at(0).toInt(&ok);
            if (ok)
                result.insert(id, unescape(QString::fromUtf8(columns.at(1))));
        }
        return result;
    }();
    return strings;
}

} // namespace

QString SetupString(int id)
{
    return table().value(id);
}

QString SetupMessage(int id, const QString &argument)
{
    QString text = SetupString(id);
    if (text.contains(QLatin1String("%1")))
        return text.replace(QLatin1String("%1"), argument);
    const qsizetype at = text.indexOf(QLatin1String("%s"));
    if (at >= 0)
        text.replace(at, 2, argument);
    return text;
}

} // namespace orvel::setup
