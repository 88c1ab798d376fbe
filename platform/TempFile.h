#pragma once

#include <QString>

namespace orvel {

// A new, empty temporary file: the prefix ("KWZ" for object and application
// files, "TMP" for private copies of embedded pictures), a unique part, "."
// and the extension, all upper case, created exclusively in the temporary
// folder (the folder itself keeps its case). Exactly one file is created.
// Returns an empty string when no file could be created.
QString MakeTempFileName(const QString &extension, const QString &prefix = QStringLiteral("KWZ"));

// The folder temporary files go to ($TMPDIR, else /tmp).
QString TempFolder();

// Removes a file; a missing file is no error. Returns false only when a file
// that exists could not be removed.
bool RemoveFileQuietly(const QString &path);

// Owns a temporary file and removes it when it goes out of scope, unless the
// path was released to another owner.
class TempFile
{
public:
    TempFile() = default;
    explicit TempFile(QString path)
        : m_path(std::move(path))
    {}
    ~TempFile() { reset(); }
    TempFile(TempFile &&other) noexcept
        : m_path(other.release())
    {}
    TempFile &operator=(TempFile &&other) noexcept;
    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;

    // Creates a new temporary file (see MakeTempFileName).
    static TempFile Create(const QString &extension, const QString &prefix = QStringLiteral("KWZ"));

    const QString &path() const { return m_path; }
    bool isNull() const { return m_path.isEmpty(); }
    // Removes the owned file (if any) and takes the new path.
    void reset(QString path = QString());
    QString release();

private:
    QString m_path;
};

} // namespace orvel
