#include "document/FileErrors.h"

#include "platform/Services.h"

#include <QDir>

#include <cerrno>

namespace orvel {

namespace {

constexpr int kMsgNotFound = 526;
constexpr int kMsgFolderNotFound = 527;
constexpr int kMsgAccessDenied = 528;
constexpr int kMsgDiskFull = 529;
constexpr int kMsgReadOnly = 530;
constexpr int kMsgInUse = 532;
constexpr int kMsgReadError = 533;
constexpr int kMsgWriteError = 534;
constexpr int kMsgPathTooLong = 537;
constexpr int kMsgRenameFailed = 538;
constexpr int kMsgCannotOpen = 539;
constexpr int kMsgOpenFailed = 61700;
constexpr int kMsgSaveFailed = 61701;

} // namespace

int FileErrorMessageId(int error, FileOperation operation)
{
    switch (error) {
    case 0:
        return operation == FileOperation::Read ? kMsgOpenFailed : kMsgSaveFailed;
    case ENOENT:
        // A file that is to be written is missing only when its folder is.
        return operation == FileOperation::Read ? kMsgNotFound : kMsgFolderNotFound;
    case ENOTDIR:
        return kMsgFolderNotFound;
    case EACCES:
    case EPERM:
        return kMsgAccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return kMsgDiskFull;
    case EROFS:
        return kMsgReadOnly;
    case EBUSY:
    case ETXTBSY:
        return kMsgInUse;
    case ENAMETOOLONG:
        return kMsgPathTooLong;
    case EISDIR:
        return kMsgCannotOpen;
    default:
        break;
    }
    switch (operation) {
    case FileOperation::Read:
        return kMsgReadError;
    case FileOperation::Write:
        return kMsgWriteError;
    case FileOperation::Rename:
        return kMsgRenameFailed;
    }
    return kMsgWriteError;
}

void ReportFileError(int error, const QString &path, FileOperation operation)
{
    MessageBoxById(FileErrorMessageId(error, operation), MsgIcon::Exclamation, MsgButtons::Ok,
                   {QDir::toNativeSeparators(path)});
}

} // namespace orvel
