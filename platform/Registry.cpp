#include "platform/Registry.h"

#include "platform/Codepage.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <charconv>
#include <optional>

namespace orvel {
namespace {

QSettings &settings()
{
    // Made on first use, so that tests can point XDG_CONFIG_HOME elsewhere
    // before (Qt fixes the path at the first QSettings).
    static QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("KWZ"),
                           QStringLiteral("Orvel 97"));
    return store;
}

QString key(const QString &section, const QString &entry)
{
    return section + u'/' + entry;
}

// Registry integers are 32-bit. A value that is not a whole number in range
// (hand-edited, or of another type) counts as missing.
std::optional<int> parseInt(const QVariant &value)
{
    if (!value.isValid())
        return std::nullopt;
    const QByteArray text = value.toString().trimmed().toLatin1();
    int result = 0;
    const char *first = text.constData();
    const char *last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, last, result);
    if (error != std::errc() || end != last || first == last)
        return std::nullopt;
    return result;
}

int readInt(QSettings &store, const QString &section, const QString &entry, int defaultValue)
{
    return parseInt(store.value(key(section, entry))).value_or(defaultValue);
}

} // namespace

namespace Registry {

int GetProfileInt(const QString &section, const QString &entry, int defaultValue)
{
    return readInt(settings(), section, entry, defaultValue);
}

QString GetProfileString(const QString &section, const QString &entry, const QString &defaultValue)
{
    const QVariant value = settings().value(key(section, entry));
    if (!value.isValid() || !value.canConvert<QString>())
        return defaultValue;
    return value.toString();
}

void WriteProfileInt(const QString &section, const QString &entry, int value)
{
    settings().setValue(key(section, entry), value);
}

void WriteProfileString(const QString &section, const QString &entry, const QString &value)
{
    settings().setValue(key(section, entry), value);
}

bool HasEntry(const QString &section, const QString &entry)
{
    return settings().contains(key(section, entry));
}

void DeleteSection(const QString &section)
{
    settings().remove(section);
}

void Flush()
{
    settings().sync();
}

} // namespace Registry

LOGFONT ReadFont(const QString &section)
{
    const int height = Registry::GetProfileInt(section, QStringLiteral("Height"), 0);
    if (height == 0)
        return StockFont(ANSI_VAR_FONT);
    LOGFONT font;
    font.lfHeight = height;
    font.lfWeight = Registry::GetProfileInt(section, QStringLiteral("Weight"), 0);
    font.lfItalic = uint8_t(Registry::GetProfileInt(section, QStringLiteral("Italic"), 0));
    font.lfUnderline = uint8_t(Registry::GetProfileInt(section, QStringLiteral("Underline"), 0));
    font.lfPitchAndFamily = uint8_t(Registry::GetProfileInt(section, QStringLiteral("PitchAndFamily"), 0));
    font.setFaceName(
            QStringToAnsi(Registry::GetProfileString(section, QStringLiteral("FaceName"), QStringLiteral("System"))));
    return font;
}

void WriteFont(const QString &section, const LOGFONT &font)
{
    Registry::WriteProfileInt(section, QStringLiteral("Height"), font.lfHeight);
    if (font.lfHeight == 0)
        return;
    Registry::WriteProfileInt(section, QStringLiteral("Weight"), font.lfWeight);
    Registry::WriteProfileInt(section, QStringLiteral("Italic"), font.lfItalic);
    Registry::WriteProfileInt(section, QStringLiteral("Underline"), font.lfUnderline);
    Registry::WriteProfileInt(section, QStringLiteral("PitchAndFamily"), font.lfPitchAndFamily);
    Registry::WriteProfileString(section, QStringLiteral("FaceName"), AnsiToQString(font.faceName()));
}

namespace WinIni {

QString Path()
{
    QString folder = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (folder.isEmpty())
        folder = QDir::homePath() + QStringLiteral("/.config");
    return folder + QStringLiteral("/win.ini");
}

int GetProfileInt(const QString &section, const QString &entry, int defaultValue)
{
    QSettings ini(Path(), QSettings::IniFormat);
    return readInt(ini, section, entry, defaultValue);
}

void WriteProfileInt(const QString &section, const QString &entry, int value)
{
    QSettings ini(Path(), QSettings::IniFormat);
    ini.setValue(key(section, entry), value);
}

} // namespace WinIni

} // namespace orvel
