#pragma once

#include "platform/AnsiString.h"
#include "table/ObjectFileIo.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace orvel {

// Where an import puts the memo texts it makes: one text after the other,
// each in pieces (a text may be far larger than memory should hold).
class ImportMemoSink
{
public:
    virtual ~ImportMemoSink() = default;
    // Starts a new text.
    virtual bool Begin() = 0;
    virtual bool Write(const char *data, std::size_t size) = 0;
    // Ends the text; returns its reference, or empty text on failure.
    virtual AnsiString End() = 0;
    // Everything written so far is in place. False when a write failed.
    virtual bool Finish() = 0;
};

// Appends memo texts to an object file (table/ObjectStore.h), collecting
// them in a buffer so that a table full of short memos costs few writes.
// The object file is created, or given its magic, when it has none.
class ObjectFileMemoSink : public ImportMemoSink
{
public:
    explicit ObjectFileMemoSink(const QString &objectFile);
    ~ObjectFileMemoSink() override;

    bool Begin() override;
    bool Write(const char *data, std::size_t size) override;
    AnsiString End() override;
    bool Finish() override;

    // The size from which the collected bytes go to the file.
    static constexpr std::size_t kFlushSize = 256 * 1024;

private:
    bool open();
    bool flush();

    QString m_path;
    objectio::UniqueFd m_fd;
    bool m_opened = false;
    bool m_failed = false;
    std::uint64_t m_bufferStart = 0; // file offset of m_buffer's first byte
    std::unique_ptr<char[]> m_buffer;
    std::size_t m_used = 0;
    std::uint64_t m_objectStart = 0; // offset of the current text's length
    std::uint64_t m_objectLength = 0;
    bool m_inObject = false;
};

// Reads memo texts out of an object file for an export, keeping the file
// open between them.
class MemoObjectReader
{
public:
    explicit MemoObjectReader(const QString &objectFile);

    // Hands the text `reference` names to `chunk` in pieces. True for a
    // reference that names no object (nothing is handed over) and for a text
    // read whole; false when the object file or the object is missing or
    // damaged (pieces may have been handed over already).
    bool Read(AnsiView reference, const std::function<void(const char *, std::size_t)> &chunk);

private:
    objectio::UniqueFd m_fd;
    std::uint64_t m_length = 0;
    std::unique_ptr<char[]> m_buffer;
};

} // namespace orvel
