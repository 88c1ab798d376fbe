// Pastes arbitrary bytes as a record stream. The clipboard may hold anything
// under the format's name; whatever it holds, the paste inserts at most the
// records the bytes carry, keeps the table within its limits and never reads
// out of bounds.
#include "document/OrvelDoc.h"
#include "document/RecordTransfer.h"
#include "platform/ScriptedServices.h"
#include "table/FieldType.h"
#include "table/TableLimits.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

namespace {

using namespace orvel;

struct Fixture
{
    ScriptedServices services;
    ScopedServices scope{&services};
    COrvelDoc doc;
    Fixture()
    {
        // Names the seeds use, one field of each kind that matters.
        const char *names[] = {"name", "betrag", "datum", "notiz"};
        const int types[] = {FT_TEXT, FT_NUMERIC, FT_DATE, FT_MEMO};
        for (int k = 0; k < 4; ++k)
            doc.GetTable().SetFieldType(types[k], doc.GetTable().InsertField(names[k]));
        doc.CreateDefaultForm();
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static Fixture fixture;
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const int inserted =
            InsertRecordsFromStream(fixture.doc, bytes, -1, QStringLiteral("/nonexistent-orvel-fuzz/clip.tmp"));
    // Every record takes at least four bytes per field and 8 for the header.
    if (inserted > static_cast<int>(size) || fixture.doc.GetTable().GetRecordCount() > kMaxRecords)
        std::abort();
    fixture.doc.GetTable().RemoveAllRecords();
    fixture.services.clear();
    return 0;
}
