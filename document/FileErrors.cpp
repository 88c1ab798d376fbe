#include "document/FileErrors.h"

#include "platform/Services.h"
#include "resources/StringIds.h"

#include <QDir>

#include <cerrno>

namespace orvel {

namespace {} // namespace

int FileErrorMessageId(int error, FileOperation operation)
{
    switch (error) {
    case 0:
        return operation == FileOperation::Read ? ids::kMsgOpenFailed : ids::kMsgSaveFailed;
    case ENOENT:
        // A file that is to be written is missing only when its folder is.
        return operation == FileOperation::Read ? ids::kMsgFileNotFound : ids::kMsgFolderNotFound;
    case ENOTDIR:
        return ids::kMsgFolderNotFound;
    case EACCES:
    case EPERM:
        return ids::kMsgAccessDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        return ids::kMsgDiskFull;
    case EROFS:
        return ids::kMsgReadOnlyFile;
    case EBUSY:
    case ETXTBSY:
        return ids::kMsgFileInUse;
    case ENAMETOOLONG:
        return ids::kMsgPathTooLong;
    case EISDIR:
        return ids::kMsgCannotOpen;
    default:
        break;
    }
    switch (operation) {
    case FileOperation::Read:
        return ids::kMsgFileReadError;
    case FileOperation::Write:
        return ids::kMsgFileWriteError;
    case FileOperation::Rename:
        return ids::kMsgRenameFailed;
    }
    return ids::kMsgFileWriteError;
}

void ReportFileError(int error, const QString &path, FileOperation operation)
{
    MessageBoxById(FileErrorMessageId(error, operation), MsgIcon::Exclamation, MsgButtons::Ok,
                   {QDir::toNativeSeparators(path)});
}

} // namespace orvel
