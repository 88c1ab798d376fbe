#include "setup/Szdd.h"

#include <mspack.h>

#include <cstdlib>
#include <cstring>

namespace orvel::setup {
namespace {

// libmspack reaches files only through this table; the "file names" it is
// given are pointers to these handles, so it reads and writes Qt devices
// and never opens a path of its own.
struct Handle
{
    QIODevice *device = nullptr;
    qint64 limit = -1; // bytes the output may still take; -1 for input
    bool overrun = false;
};

struct DeviceFile
{
    Handle *handle;
};

mspack_file *deviceOpen(mspack_system *, const char *filename, int)
{
    auto *file = static_cast<DeviceFile *>(std::malloc(sizeof(DeviceFile)));
    if (!file)
        return nullptr;
    file->handle = reinterpret_cast<Handle *>(const_cast<char *>(filename));
    return reinterpret_cast<mspack_file *>(file);
}

void deviceClose(mspack_file *file)
{
    std::free(file);
}

Handle *handleOf(mspack_file *file)
{
    return reinterpret_cast<DeviceFile *>(file)->handle;
}

int deviceRead(mspack_file *file, void *buffer, int bytes)
{
    const qint64 read = handleOf(file)->device->read(static_cast<char *>(buffer), bytes);
    return read < 0 ? -1 : int(read);
}

int deviceWrite(mspack_file *file, void *buffer, int bytes)
{
    Handle *handle = handleOf(file);
    if (handle->limit >= 0 && bytes > handle->limit) {
        handle->overrun = true;
        return -1;
    }
    const qint64 written = handle->device->write(static_cast<const char *>(buffer), bytes);
    if (written != bytes)
        return -1;
    if (handle->limit >= 0)
        handle->limit -= bytes;
    return bytes;
}

int deviceSeek(mspack_file *file, off_t offset, int mode)
{
    QIODevice *device = handleOf(file)->device;
    if (device->isSequential())
        return -1;
    qint64 target = offset;
    if (mode == MSPACK_SYS_SEEK_CUR)
        target += device->pos();
    else if (mode == MSPACK_SYS_SEEK_END)
        target += device->size();
    if (target < 0 || target > device->size())
        return -1;
    return device->seek(target) ? 0 : -1;
}

off_t deviceTell(mspack_file *file)
{
    return off_t(handleOf(file)->device->pos());
}

void deviceMessage(mspack_file *, const char *, ...) {}

void *deviceAlloc(mspack_system *, size_t bytes)
{
    return std::malloc(bytes);
}

void deviceFree(void *pointer)
{
    std::free(pointer);
}

void deviceCopy(void *src, void *dest, size_t bytes)
{
    std::memcpy(dest, src, bytes);
}

mspack_system deviceSystem = {deviceOpen,    deviceClose, deviceRead, deviceWrite, deviceSeek, deviceTell,
                              deviceMessage, deviceAlloc, deviceFree, deviceCopy,  nullptr};

} // namespace

bool IsSzdd(const QByteArray &head)
{
    static const char normal[] = "SZDD\x88\xF0\x27\x33";
    static const char qbasic[] = "SZ \x88\xF0\x27\x33\xD1";
    return head.startsWith(QByteArray::fromRawData(normal, 8)) || head.startsWith(QByteArray::fromRawData(qbasic, 8));
}

bool ExpandSzdd(QIODevice &in, QIODevice &out, qint64 *length, QString *error)
{
    auto fail = [&](const char *text) {
        if (error)
            *error = QString::fromLatin1(text);
        return false;
    };
    msszdd_decompressor *decompressor = mspack_create_szdd_decompressor(&deviceSystem);
    if (!decompressor)
        return fail("the decompressor could not be made");
    Handle input{&in, -1, false};
    msszddd_header *header = decompressor->open(decompressor, reinterpret_cast<const char *>(&input));
    if (!header) {
        mspack_destroy_szdd_decompressor(decompressor);
        return fail("no valid SZDD header");
    }
    const qint64 declared = qint64(header->length);
    Handle output{&out, declared, false};
    const int result = declared < 0
                               ? MSPACK_ERR_DATAFORMAT
                               : decompressor->extract(decompressor, header, reinterpret_cast<const char *>(&output));
    decompressor->close(decompressor, header);
    mspack_destroy_szdd_decompressor(decompressor);
    if (output.overrun)
        return fail("the data runs on beyond the declared length");
    if (result != MSPACK_ERR_OK)
        return fail(result == MSPACK_ERR_WRITE ? "the expanded file could not be written"
                                               : "the compressed data is damaged");
    if (output.limit != 0)
        return fail("the compressed file ends before its declared length");
    if (length)
        *length = declared;
    return true;
}

} // namespace orvel::setup
