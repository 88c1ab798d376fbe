#include "cli/CliArguments.h"

#include <charconv>
#include <map>

namespace orvel::cli {

namespace {

// A whole decimal number, nothing before or after it.
std::optional<int> ParseInt(const QString &text)
{
    const QByteArray bytes = text.toLatin1();
    int value = 0;
    const char *end = bytes.constData() + bytes.size();
    const auto [ptr, ec] = std::from_chars(bytes.constData(), end, value);
    if (bytes.isEmpty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::optional<int> ParsePosition(const QString &text)
{
    const std::optional<int> value = ParseInt(text);
    if (!value || *value < 0)
        return std::nullopt;
    return value;
}

struct Expected
{
    int minPositional;
    int maxPositional;
};

const std::map<QString, Expected> &Commands()
{
    static const std::map<QString, Expected> commands{
            {QStringLiteral("dump"), {1, 1}},    {QStringLiteral("convert"), {2, 2}},
            {QStringLiteral("sort"), {2, 2}},    {QStringLiteral("find"), {1, 1}},
            {QStringLiteral("replace"), {2, 2}}, {QStringLiteral("duplicates"), {1, 2}},
    };
    return commands;
}

} // namespace

QString CliUsage()
{
    return QStringLiteral("Aufruf:\n"
                          "  orvel-cli dump DATEI [--display] [--memos] [--objects]\n"
                          "  orvel-cli convert EIN AUS\n"
                          "  orvel-cli sort EIN AUS --key K [--key K [--key K]]\n"
                          "  orvel-cli find DATEI --field P --text T [--options N]\n"
                          "            [--link and|or --field2 P --text2 T [--options2 N]]\n"
                          "  orvel-cli replace EIN AUS --field P --text T --with R [--options N]\n"
                          "  orvel-cli duplicates EIN [AUS] --fields P[,P...] [--fuzzy] [--phonetic]\n"
                          "  orvel-cli --help | --version\n"
                          "\n"
                          "K: Position eines Datenfeldes (ab 0), wahlweise mit \":desc\" für absteigend.\n"
                          "P: Position eines Datenfeldes (ab 0). N: Suchoptionen (1 Groß-/Kleinschreibung,\n"
                          "2 negative Suche, 8 ganzes Wort, 16 Wertanfang).\n"
                          "--fuzzy: ähnliche Schreibweisen gelten als gleich (ä/ae, ß/ss, Akzente, Satzzeichen,\n"
                          "\"Str.\"/\"Straße\"); --phonetic: zusätzlich nach dem Klang (Kölner Phonetik).\n"
                          "\n"
                          "Allgemeine Optionen:\n"
                          "  --locale NAME                Gebietsschema, z. B. de_DE\n"
                          "  --charset dos|ansi           Zeichensatz von dBASE- und SDF-Dateien\n"
                          "  --field-delimiter N          Feldtrennzeichen von SDF- und CSV-Dateien (Zeichencode;\n"
                          "                               0 bei CSV: beim Lesen erkennen, beim Schreiben nach\n"
                          "                               Gebietsschema)\n"
                          "  --data-delimiter N           SDF-Datenbegrenzer (Zeichencode)\n"
                          "  --encoding utf-8|cp1252      Zeichenkodierung von CSV-Dateien\n"
                          "  --bom 0|1                    UTF-8-CSV-Dateien mit Byte-Order-Mark schreiben\n"
                          "  --relative-paths 0|1         Grafikpfade relativ speichern\n"
                          "  --timing                     Zeiten der Arbeitsschritte auf stderr\n"
                          "  --no-sync                    neue Dateien nicht erst auf die Platte warten lassen\n");
}

std::optional<CliArguments> ParseCliArguments(const QStringList &args, QString &error)
{
    CliArguments result;
    if (args.size() == 1 && (args[0] == QLatin1String("--help") || args[0] == QLatin1String("--version"))) {
        result.command = args[0].mid(2);
        return result;
    }
    if (args.isEmpty()) {
        error = QStringLiteral("Kein Befehl angegeben.");
        return std::nullopt;
    }
    result.command = args[0];
    const auto command = Commands().find(result.command);
    if (command == Commands().end()) {
        error = QStringLiteral("Unbekannter Befehl: %1").arg(result.command);
        return std::nullopt;
    }

    QStringList positional;
    bool haveField = false, haveText = false, haveField2 = false, haveText2 = false, haveFields = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (!arg.startsWith(QLatin1String("--")) || arg == QLatin1String("--")) {
            positional << arg;
            continue;
        }
        auto value = [&](QString &out) {
            if (i + 1 >= args.size()) {
                error = QStringLiteral("Zur Option %1 fehlt der Wert.").arg(arg);
                return false;
            }
            out = args[++i];
            return true;
        };
        auto intValue = [&](std::optional<int> &out, int low, int high) {
            QString text;
            if (!value(text))
                return false;
            const std::optional<int> number = ParseInt(text);
            if (!number || *number < low || *number > high) {
                error = QStringLiteral("Ungültiger Wert für %1: %2").arg(arg, text);
                return false;
            }
            out = number;
            return true;
        };
        auto position = [&](int &out) {
            QString text;
            if (!value(text))
                return false;
            const std::optional<int> number = ParsePosition(text);
            if (!number) {
                error = QStringLiteral("Ungültige Feldposition für %1: %2").arg(arg, text);
                return false;
            }
            out = *number;
            return true;
        };

        bool ok = true;
        std::optional<int> number;
        if (arg == QLatin1String("--locale")) {
            ok = value(result.locale);
        } else if (arg == QLatin1String("--charset")) {
            QString text;
            ok = value(text);
            if (ok && text == QLatin1String("dos"))
                result.dosCharset = true;
            else if (ok && text == QLatin1String("ansi"))
                result.dosCharset = false;
            else if (ok) {
                error = QStringLiteral("Ungültiger Zeichensatz: %1 (dos oder ansi)").arg(text);
                ok = false;
            }
        } else if (arg == QLatin1String("--field-delimiter")) {
            // 0 means "detect" and applies to CSV files only.
            ok = intValue(result.fieldDelimiter, 0, 255);
        } else if (arg == QLatin1String("--encoding")) {
            QString text;
            ok = value(text);
            if (ok && text.compare(QLatin1String("utf-8"), Qt::CaseInsensitive) == 0)
                result.csvEncoding = 0;
            else if (ok && text.compare(QLatin1String("cp1252"), Qt::CaseInsensitive) == 0)
                result.csvEncoding = 1;
            else if (ok) {
                error = QStringLiteral("Ungültige Zeichenkodierung: %1 (utf-8 oder cp1252)").arg(text);
                ok = false;
            }
        } else if (arg == QLatin1String("--bom")) {
            ok = intValue(number, 0, 1);
            if (ok)
                result.csvBom = *number == 1;
        } else if (arg == QLatin1String("--data-delimiter")) {
            ok = intValue(result.dataDelimiter, 1, 255);
        } else if (arg == QLatin1String("--relative-paths")) {
            ok = intValue(number, 0, 1);
            if (ok)
                result.relativePaths = *number == 1;
        } else if (arg == QLatin1String("--timing")) {
            result.timing = true;
        } else if (arg == QLatin1String("--no-sync")) {
            result.noSync = true;
        } else if (arg == QLatin1String("--display") && result.command == QLatin1String("dump")) {
            result.display = true;
        } else if (arg == QLatin1String("--memos") && result.command == QLatin1String("dump")) {
            result.memos = true;
        } else if (arg == QLatin1String("--objects") && result.command == QLatin1String("dump")) {
            result.objects = true;
        } else if (arg == QLatin1String("--key") && result.command == QLatin1String("sort")) {
            QString text;
            ok = value(text);
            if (ok) {
                CliSortKey key;
                QString fieldText = text;
                if (text.endsWith(QLatin1String(":desc"))) {
                    key.descending = true;
                    fieldText.chop(5);
                }
                const std::optional<int> field = ParsePosition(fieldText);
                if (!field || result.keys.size() >= 3) {
                    error = field ? QStringLiteral("Höchstens drei Sortierschlüssel sind erlaubt.")
                                  : QStringLiteral("Ungültiger Sortierschlüssel: %1").arg(text);
                    ok = false;
                } else {
                    key.field = *field;
                    result.keys.push_back(key);
                }
            }
        } else if (arg == QLatin1String("--field")
                   && (result.command == QLatin1String("find") || result.command == QLatin1String("replace"))) {
            ok = position(result.criterion1.field);
            haveField = true;
        } else if (arg == QLatin1String("--text")
                   && (result.command == QLatin1String("find") || result.command == QLatin1String("replace"))) {
            ok = value(result.criterion1.text);
            haveText = true;
        } else if (arg == QLatin1String("--options")
                   && (result.command == QLatin1String("find") || result.command == QLatin1String("replace"))) {
            ok = intValue(number, 0, 0xFFFF);
            if (ok)
                result.criterion1.options = *number;
        } else if (arg == QLatin1String("--with") && result.command == QLatin1String("replace")) {
            ok = value(result.replacement);
            result.hasReplacement = true;
        } else if (arg == QLatin1String("--link") && result.command == QLatin1String("find")) {
            QString text;
            ok = value(text);
            if (ok && text == QLatin1String("and"))
                result.link = 1;
            else if (ok && text == QLatin1String("or"))
                result.link = 2;
            else if (ok) {
                error = QStringLiteral("Ungültige Verknüpfung: %1 (and oder or)").arg(text);
                ok = false;
            }
        } else if (arg == QLatin1String("--field2") && result.command == QLatin1String("find")) {
            ok = position(result.criterion2.field);
            haveField2 = true;
        } else if (arg == QLatin1String("--text2") && result.command == QLatin1String("find")) {
            ok = value(result.criterion2.text);
            haveText2 = true;
        } else if (arg == QLatin1String("--options2") && result.command == QLatin1String("find")) {
            ok = intValue(number, 0, 0xFFFF);
            if (ok)
                result.criterion2.options = *number;
        } else if (arg == QLatin1String("--fuzzy") && result.command == QLatin1String("duplicates")) {
            result.fuzzy = true;
        } else if (arg == QLatin1String("--phonetic") && result.command == QLatin1String("duplicates")) {
            result.fuzzy = true;
            result.phonetic = true;
        } else if (arg == QLatin1String("--fields") && result.command == QLatin1String("duplicates")) {
            QString text;
            ok = value(text);
            haveFields = true;
            if (ok) {
                for (const QString &part : text.split(QLatin1Char(','))) {
                    const std::optional<int> field = ParsePosition(part.trimmed());
                    if (!field) {
                        error = QStringLiteral("Ungültige Feldliste: %1").arg(text);
                        ok = false;
                        break;
                    }
                    result.duplicateFields.push_back(*field);
                }
            }
        } else {
            error = QStringLiteral("Unbekannte Option für %1: %2").arg(result.command, arg);
            ok = false;
        }
        if (!ok)
            return std::nullopt;
    }

    if (positional.size() < command->second.minPositional || positional.size() > command->second.maxPositional) {
        error = QStringLiteral("Falsche Anzahl von Dateinamen für %1.").arg(result.command);
        return std::nullopt;
    }
    result.input = positional.value(0);
    result.output = positional.value(1);

    if (result.command == QLatin1String("sort") && result.keys.empty()) {
        error = QStringLiteral("sort braucht mindestens einen Sortierschlüssel (--key).");
        return std::nullopt;
    }
    if ((result.command == QLatin1String("find") || result.command == QLatin1String("replace"))
        && (!haveField || !haveText)) {
        error = QStringLiteral("%1 braucht --field und --text.").arg(result.command);
        return std::nullopt;
    }
    if (result.command == QLatin1String("replace") && !result.hasReplacement) {
        error = QStringLiteral("replace braucht --with.");
        return std::nullopt;
    }
    if (result.command == QLatin1String("find")) {
        // The second criterion comes with --link, whole, and only with it.
        if (result.link == 0 && (haveField2 || haveText2)) {
            error = QStringLiteral("--field2 und --text2 gelten nur mit --link.");
            return std::nullopt;
        }
        if (result.link != 0 && !(haveField2 && haveText2)) {
            error = QStringLiteral("--link braucht --field2 und --text2.");
            return std::nullopt;
        }
    }
    if (result.command == QLatin1String("duplicates") && (!haveFields || result.duplicateFields.empty())) {
        error = QStringLiteral("duplicates braucht --fields.");
        return std::nullopt;
    }
    return result;
}

} // namespace orvel::cli
