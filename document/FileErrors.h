#pragma once

#include <QString>

namespace orvel {

// What was being done to a file when it failed; it decides the message
// when the system's reason has none of its own.
enum class FileOperation { Read, Write, Rename };

// The message id (526-539, or 61700/61701 without a reason) for a failure
// with the system error number `error`.
int FileErrorMessageId(int error, FileOperation operation);

// Shows that message with the file's path in it.
void ReportFileError(int error, const QString &path, FileOperation operation);

} // namespace orvel
