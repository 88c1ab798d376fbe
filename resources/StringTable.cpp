#include "resources/StringTable.h"

#include "platform/Codepage.h"

#include <QFile>
#include <QStringDecoder>
#include <QtDebug>

#include <charconv>

namespace orvel {

namespace {

constexpr int kMaxId = 65535; // string and command ids are 16-bit

QString lineError(int line, const QString &what)
{
    return QStringLiteral("strings line %1: %2").arg(line).arg(what);
}

} // namespace

std::optional<QString> UnescapeResourceText(QStringView text, QString *error)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\\') {
            out.append(c);
            continue;
        }
        if (i + 1 == text.size()) {
            if (error)
                *error = QStringLiteral("backslash at the end of the text");
            return std::nullopt;
        }
        const QChar next = text.at(++i);
        switch (next.unicode()) {
        case u'n':
            out.append(u'\n');
            break;
        case u'r':
            out.append(u'\r');
            break;
        case u't':
            out.append(u'\t');
            break;
        case u'"':
            out.append(u'"');
            break;
        case u'\\':
            out.append(u'\\');
            break;
        default:
            if (error)
                *error = QStringLiteral("unknown escape \\%1").arg(next);
            return std::nullopt;
        }
    }
    return out;
}

const StringTable &StringTable::program()
{
    static const StringTable table = [] {
        QFile file(QStringLiteral(":/orvel/strings.txt"));
        if (!file.open(QIODevice::ReadOnly)) {
            qWarning("The string table is missing from the program's resources.");
            return StringTable();
        }
        QStringList errors;
        StringTable parsed = parse(file.readAll(), &errors);
        for (const QString &error : std::as_const(errors))
            qWarning("%s", qUtf8Printable(error));
        return parsed;
    }();
    return table;
}

StringTable StringTable::parse(QByteArrayView utf8, QStringList *errors)
{
    StringTable table;
    auto report = [errors](int line, const QString &what) {
        if (errors)
            errors->append(lineError(line, what));
    };

    if (utf8.startsWith("\xEF\xBB\xBF"))
        utf8 = utf8.sliced(3);

    int lineNumber = 0;
    qsizetype pos = 0;
    while (pos < utf8.size()) {
        qsizetype end = utf8.indexOf('\n', pos);
        if (end < 0)
            end = utf8.size();
        QByteArrayView line = utf8.sliced(pos, end - pos);
        pos = end + 1;
        ++lineNumber;
        if (line.endsWith('\r'))
            line.chop(1); // a literal carriage return in a text is written \r
        if (line.isEmpty() || line.startsWith('#'))
            continue;

        const qsizetype tab = line.indexOf('\t');
        if (tab < 0) {
            report(lineNumber, QStringLiteral("no tab between id and text"));
            continue;
        }
        const QByteArrayView idPart = line.first(tab);
        int id = -1;
        const char *first = idPart.data();
        const char *last = first + idPart.size();
        const auto [ptr, ec] = std::from_chars(first, last, id);
        if (idPart.isEmpty() || ec != std::errc() || ptr != last || id < 0 || id > kMaxId) {
            report(lineNumber, QStringLiteral("\"%1\" is not an id").arg(QString::fromUtf8(idPart)));
            continue;
        }

        // A third column names the id for the code; it is no part of the text.
        QByteArrayView textPart = line.sliced(tab + 1);
        if (const qsizetype symbolTab = textPart.indexOf('\t'); symbolTab >= 0)
            textPart = textPart.first(symbolTab);
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString raw = decoder(textPart);
        if (decoder.hasError()) {
            report(lineNumber, QStringLiteral("the text of %1 is not valid UTF-8").arg(id));
            continue;
        }
        QString why;
        std::optional<QString> text = UnescapeResourceText(raw, &why);
        if (!text) {
            report(lineNumber, QStringLiteral("%1: %2").arg(id).arg(why));
            continue;
        }
        if (!table.m_texts.emplace(id, std::move(*text)).second)
            report(lineNumber, QStringLiteral("id %1 appears twice; the first text is kept").arg(id));
    }
    return table;
}

QString StringTable::text(int id) const
{
    const auto it = m_texts.find(id);
    return it == m_texts.end() ? QString() : it->second;
}

AnsiString StringTable::ansi(int id) const
{
    return QStringToAnsi(text(id));
}

std::vector<int> StringTable::ids() const
{
    std::vector<int> result;
    result.reserve(m_texts.size());
    for (const auto &entry : m_texts)
        result.push_back(entry.first);
    return result;
}

QString LoadQString(int id)
{
    return StringTable::program().text(id);
}

AnsiString LoadAnsiString(int id)
{
    return StringTable::program().ansi(id);
}

} // namespace orvel
