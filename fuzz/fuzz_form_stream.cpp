// Reads the form objects of a clipboard stream from arbitrary bytes, as a
// paste from another program would. Whatever is accepted is stored and read
// again: the second stream must be the same bytes as the first.
#include "form/FormObjects.h"
#include "platform/Archive.h"
#include "platform/ScriptedServices.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using orvel::CDrawObj;
using orvel::CFormObjects;

using Objects = std::vector<std::unique_ptr<CDrawObj>>;

bool load(CFormObjects &form, QByteArrayView bytes, Objects &objects)
{
    try {
        objects = form.LoadObjects(bytes);
    } catch (const orvel::ArchiveException &) {
        return false;
    }
    return true;
}

std::vector<CDrawObj *> pointers(const Objects &objects)
{
    std::vector<CDrawObj *> list;
    for (const auto &object : objects)
        list.push_back(object.get());
    return list;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Pictures whose bytes cannot be kept are reported; nobody reads it.
    static orvel::ScriptedServices quiet;
    static orvel::ScopedServices installed(&quiet);
    quiet.clear();

    CFormObjects form;
    Objects objects;
    if (!load(form, QByteArrayView(data, qsizetype(size)), objects))
        return 0;

    const QByteArray first = form.StoreObjects(pointers(objects));
    Objects again;
    if (!load(form, first, again) || form.StoreObjects(pointers(again)) != first)
        std::abort();
    return 0;
}
