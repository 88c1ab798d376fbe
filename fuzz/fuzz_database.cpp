// Reads arbitrary bytes as a database file. Whatever the bytes, the read
// either fails or yields a table within the limits, and never reads out of
// bounds, hangs or takes memory out of proportion to the input.
#include "document/OrvelDoc.h"
#include "platform/ScriptedServices.h"
#include "table/TableLimits.h"

#include <QBuffer>
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
        DocumentOptionOverrides overrides;
        overrides.relativePaths = true;
        doc.SetOptionOverrides(overrides);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // One document for all runs; destroyed at exit, which removes its working store.
    static Fixture fixture;
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    // A folder that does not exist: relative picture paths get made
    // absolute, and the missing object file leaves the store empty.
    const auto outcome = fixture.doc.ReadDatabase(buffer, QStringLiteral("/nonexistent-orvel-fuzz/db.ovd"));
    const CDataTable &table = fixture.doc.GetTable();
    if (outcome == dbfile::ReadOutcome::Complete
        && (table.GetRecordCount() > kMaxRecords || table.GetFieldCount() > kMaxFields))
        std::abort();
    fixture.doc.DeleteContents();
    fixture.services.clear();
    return 0;
}
