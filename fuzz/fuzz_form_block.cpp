// Reads a form block from arbitrary bytes. Whatever loads is stored, loaded
// and stored again: both stored forms must be the same bytes, so that a form
// survives any number of saves unchanged.
#include "form/FormObjects.h"
#include "platform/Archive.h"
#include "platform/ScriptedServices.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace {

using orvel::CArchive;
using orvel::CFormObjects;
using orvel::FormFileContext;

bool load(CFormObjects &form, QByteArrayView bytes, const FormFileContext &context)
{
    CArchive ar(bytes);
    try {
        form.Load(ar, context);
    } catch (const orvel::ArchiveException &) {
        return false;
    }
    return true;
}

QByteArray store(const CFormObjects &form)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(buffer);
    form.Store(ar, FormFileContext());
    return buffer.data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Picture copy failures are reported; nobody is there to read them.
    static orvel::ScriptedServices quiet;
    static orvel::ScopedServices installed(&quiet);
    quiet.clear();

    // Relative picture paths are resolved against a database folder.
    const FormFileContext context{QStringLiteral("/tmp/orvel-fuzz/Datenbank.ovd"), true};
    CFormObjects form;
    if (!load(form, QByteArrayView(data, qsizetype(size)), context))
        return 0;

    const QByteArray first = store(form);
    CFormObjects again;
    if (!load(again, first, FormFileContext()) || store(again) != first)
        std::abort();
    return 0;
}
