#pragma once

#include "platform/LogFont.h"

#include <QString>

namespace orvel {

// The per-user settings: QSettings("KWZ", "Orvel 97") in the native format
// (~/.config/KWZ/Orvel 97.conf), one group per section. Missing or malformed
// values give the caller's default.
namespace Registry {

int GetProfileInt(const QString &section, const QString &entry, int defaultValue);
QString GetProfileString(const QString &section, const QString &entry, const QString &defaultValue = QString());
void WriteProfileInt(const QString &section, const QString &entry, int value);
void WriteProfileString(const QString &section, const QString &entry, const QString &value);
bool HasEntry(const QString &section, const QString &entry);
// Removes a whole section with everything in it.
void DeleteSection(const QString &section);
// Writes pending changes to disk.
void Flush();

} // namespace Registry

// A font section keeps only Height, Weight, Italic, Underline,
// PitchAndFamily and FaceName (at most 31 characters). A Height of 0 or none
// means the stock variable-width font, and nothing else is read.
LOGFONT ReadFont(const QString &section);
// Height is always written; the other five only when the height is not 0.
void WriteFont(const QString &section, const LOGFONT &font);

// The WIN.INI stand-in: the INI file win.ini in the user's configuration
// folder ($XDG_CONFIG_HOME, else ~/.config).
namespace WinIni {

QString Path();
int GetProfileInt(const QString &section, const QString &entry, int defaultValue);
void WriteProfileInt(const QString &section, const QString &entry, int value);

} // namespace WinIni

} // namespace orvel
