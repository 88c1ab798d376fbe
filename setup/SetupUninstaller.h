#pragma once

#include "setup/SetupSettings.h"

#include <functional>

namespace orvel::setup {

// A shared file no installation counts any more (dialog 518).
struct SharedFileQuestion
{
    QString path;
    QString version; // "a.b.c.d" or "?"
    QString date;    // "dd.mm.yyyy - hh:mm" or "?"
};

struct UninstallCallbacks
{
    // true removes the file ("Entfernen"), false keeps it ("Beibehalten").
    // Unset: remove, as the unattended uninstaller answers.
    std::function<bool(const SharedFileQuestion &)> removeShared;
    std::function<void(int id, const QString &argument)> message;
    std::function<void(const QString &path)> progress; // "Entfernen" and the path
};

enum class UninstallResult {
    Complete,   // message 118
    Incomplete, // something stayed: message 122
    LogRefused, // the log was missing or damaged: message 115, nothing removed
};

// Undoes what the log records: the registry keys it names, then its items
// from the last to the first (files, shared-file counts, controls, folders
// that are empty), then the uninstaller's own count. The confirmation
// (dialog 517) is the caller's.
UninstallResult Uninstall(const QString &logPath, SetupSettings &settings, const UninstallCallbacks &callbacks);

} // namespace orvel::setup
