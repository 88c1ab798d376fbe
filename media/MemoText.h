#pragma once

#include "platform/AnsiString.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <vector>

namespace orvel {

// Memo texts are stored as Windows-1252 bytes with CR LF between the lines,
// as the memo editor has always kept them. The editor works on a QString
// with "\n" line ends; text files come in as UTF-8 or Windows-1252 and go
// out as UTF-8.

// Above this size a text file is read only after asking.
inline constexpr std::int64_t kLargeTextFileSize = 16 * 1024 * 1024;
// How much of a file's start decides whether it holds text.
inline constexpr std::int64_t kTextFileSampleSize = 64 * 1024;

// The stored memo as the editor shows it: every line end ("\r\n", or a
// lone "\r" or "\n") becomes "\n".
QString MemoToEditorText(AnsiView memo);

// The editor's text as it is stored: line ends ("\n" and the paragraph and
// line separators of a text document) become "\r\n"; characters that
// Windows-1252 cannot hold become "?".
AnsiString EditorTextToMemo(const QString &text);

// The memo as a text file: UTF-8 without a byte-order mark, "\n" line ends.
QByteArray MemoToUtf8File(AnsiView memo);

// A text file read for a memo.
struct DecodedTextFile
{
    // The text as the editor takes it: "\n" line ends, and "?" in place of
    // each character Windows-1252 cannot hold, so that what the user sees is
    // what will be stored.
    QString text;
    // The bytes were valid UTF-8 (a byte-order mark is dropped); otherwise
    // they were read as Windows-1252, which holds every byte.
    bool utf8 = false;
    // How many characters became "?", and which ones (each once, in the
    // order they first occur).
    int replacedCount = 0;
    std::vector<char32_t> replaced;
};

DecodedTextFile DecodeTextFile(const QByteArray &bytes);

// The characters of a DecodedTextFile that were replaced, for a message:
// each quoted with its code point ("„→“ (U+2192)"), at most `limit` of them,
// then "…".
QString DescribeCharacters(const std::vector<char32_t> &characters, int limit = 12);

// What to ask before a file is read into a memo.
struct TextFileCheck
{
    // NUL bytes, or mostly control characters, in the file's first
    // kTextFileSampleSize bytes.
    bool binary = false;
    // Larger than kLargeTextFileSize.
    bool large = false;
};

// `head` is the start of the file (up to kTextFileSampleSize bytes), `size`
// its whole length.
TextFileCheck CheckTextFile(QByteArrayView head, std::int64_t size);

} // namespace orvel
