#pragma once

#include <QFile>
#include <QString>

namespace orvel {

// Writes a file, and optionally a companion file beside it, so that the old
// files stay intact until both new ones are complete: each is written to a
// temporary file in its target's folder (with the old file's permissions),
// flushed to disk, and renamed over its target only at Commit, the
// companion first. Whatever has not been renamed when the object goes away
// is removed; a file that already stood at a target is never removed by a
// failure.
class CAtomicSave
{
public:
    // What Commit does with the companion's target.
    enum class Companion {
        Keep,    // leave the target as it is (the temporary file is dropped)
        Replace, // rename the temporary file over the target
        Remove,  // the target must not exist afterwards
    };

    explicit CAtomicSave(const QString &targetPath);
    ~CAtomicSave();
    CAtomicSave(const CAtomicSave &) = delete;
    CAtomicSave &operator=(const CAtomicSave &) = delete;

    // Creates the temporary file for the target and opens File() on it.
    bool Begin();
    QFile &File() { return m_file; }
    const QString &TargetPath() const { return m_target; }
    const QString &TempPath() const { return m_temp; }

    // Creates an empty temporary file beside the companion's target, for
    // someone else to fill by its path.
    bool AddCompanion(const QString &companionTarget);
    const QString &CompanionTempPath() const { return m_companionTemp; }

    // Flushes and renames. False when anything failed before the target
    // was replaced; the old target is then untouched.
    bool Commit(Companion companion);

    // For batch conversions: a file that did not exist before is renamed
    // into place without waiting for the disk (a crash leaves no file or a
    // whole one, never an empty file where the user's file stood); a file
    // that replaces an existing one is still flushed first. Process-wide;
    // on by default.
    static void SetSyncNewFiles(bool sync);
    static bool SyncNewFiles();

    // errno of the failure and the file it concerned.
    int Error() const { return m_error; }
    const QString &ErrorPath() const { return m_errorPath; }
    bool ErrorWasRename() const { return m_renameFailed; }

private:
    bool fail(int error, const QString &path, bool rename = false);
    void discard();

    QString m_target;
    bool m_targetExisted = false;
    bool m_companionExisted = false;
    QString m_temp;
    QFile m_file;
    QString m_companionTarget;
    QString m_companionTemp;
    int m_error = 0;
    QString m_errorPath;
    bool m_renameFailed = false;
};

} // namespace orvel
