#include "listview/InsertFromCommand.h"

#include "document/OrvelDoc.h"
#include "document/RecordImport.h"
#include "platform/Services.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"

#include <QFileInfo>

namespace orvel {

namespace {

// A name typed without an extension means the database file of that name
// when there is no file of the bare name.
QString withDefaultExtension(const QString &path)
{
    if (path.isEmpty() || QFileInfo::exists(path) || !QFileInfo(path).suffix().isEmpty())
        return path;
    const QString candidate = path + QLatin1Char('.') + LoadQString(ids::kDefaultExtension);
    return QFileInfo::exists(candidate) ? candidate : path;
}

} // namespace

int RunInsertFromCommand(COrvelDoc &doc, int currentRecord, int *filterIndex)
{
    int index = filterIndex ? *filterIndex : 1;
    const QString chosen =
            services().getOpenFileName(LoadQString(ids::kCaptionInsertFrom), LoadQString(ids::kFilterOpen), &index,
                                       LoadQString(ids::kDefaultExtension));
    if (chosen.isEmpty())
        return 0;
    if (filterIndex)
        *filterIndex = index;
    return InsertFromDatabase(doc, withDefaultExtension(chosen), currentRecord);
}

} // namespace orvel
