#include "document/FileFormats.h"

#include "document/SaveProposal.h"

#include <vector>

namespace orvel {

namespace {

std::vector<FileFormat> &formats()
{
    static std::vector<FileFormat> list = [] {
        std::vector<FileFormat> initial(4);
        initial[0].extension = QStringLiteral("dbf");
        initial[0].displayName = QStringLiteral("dBASE");
        initial[0].opens = true;
        initial[1].extension = QStringLiteral("sdf");
        initial[1].displayName = QStringLiteral("SDF");
        initial[1].opens = true;
        initial[1].usesSdfDelimiters = true;
        initial[2].extension = QStringLiteral("htm");
        initial[2].displayName = QStringLiteral("HTML");
        initial[2].isExport = true;
        initial[3].extension = QStringLiteral("txt");
        initial[3].displayName = QStringLiteral("WinWord-Steuerdatei");
        initial[3].isExport = true;
        return initial;
    }();
    return list;
}

} // namespace

namespace FileFormats {

const FileFormat *Find(const QString &path)
{
    const QString extension = FileExtension(path);
    for (const FileFormat &format : formats()) {
        if (format.extension == extension)
            return &format;
    }
    return nullptr;
}

void Register(const FileFormat &format)
{
    for (FileFormat &existing : formats()) {
        if (existing.extension == format.extension) {
            existing = format;
            return;
        }
    }
    formats().push_back(format);
}

} // namespace FileFormats

} // namespace orvel
