#include "media/MemoStore.h"

#include "platform/TempFile.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FieldType.h"
#include "table/ObjectStore.h"

#include <QFile>

namespace orvel {

std::optional<AnsiString> ReadMemo(const QString &store, AnsiView reference)
{
    if (IsNoObjectReference(reference))
        return AnsiString();
    TempFile copy(ReadObject(store, reference));
    if (copy.isNull())
        return std::nullopt;
    QFile file(copy.path());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return AnsiString(bytes.constData(), std::size_t(bytes.size()));
}

AnsiString WriteMemo(const QString &store, AnsiView oldReference, AnsiView text)
{
    TempFile copy = TempFile::Create(QStringLiteral("TMP"), QStringLiteral("tmp"));
    if (copy.isNull())
        return AnsiString();
    QFile file(copy.path());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(text.data(), qint64(text.size())) != qint64(text.size()) || !file.flush())
        return AnsiString();
    file.close();
    // The store takes the file over and removes it.
    return WriteObject(copy.release(), oldReference, store);
}

bool IsObjectShared(const CDataTable &table, AnsiView reference, int record, int field)
{
    if (!ParseObjectReference(reference))
        return false;
    for (int pos = 0; pos < table.GetFieldCount(); ++pos) {
        const int type = table.GetFieldType(pos);
        if (type != FT_MEMO && type != FT_OLE && type != FT_PICTURE)
            continue;
        for (int index = 0; index < table.GetRecordCount(); ++index) {
            if ((index != record || pos != field) && table.GetRecord(index)->GetRawValue(pos) == reference)
                return true;
        }
    }
    return false;
}

} // namespace orvel
