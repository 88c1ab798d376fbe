#pragma once

#include "form/FormObjects.h"
#include "platform/Archive.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>

namespace orvel::test {

inline QByteArray StoreForm(const CFormObjects &form, const FormFileContext &context = {})
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(buffer);
    form.Store(ar, context);
    return buffer.data();
}

inline void LoadForm(CFormObjects &form, const QByteArray &bytes, const FormFileContext &context = {})
{
    CArchive ar{QByteArrayView(bytes)};
    form.Load(ar, context);
}

// Little-endian bytes written by hand, to compare stored forms against the
// documented layout rather than against the archive's own writer.
struct ByteBuilder
{
    QByteArray bytes;

    ByteBuilder &u8(uint8_t v)
    {
        bytes.append(char(v));
        return *this;
    }
    ByteBuilder &u16(uint16_t v) { return u8(uint8_t(v)).u8(uint8_t(v >> 8)); }
    ByteBuilder &u32(uint32_t v) { return u16(uint16_t(v)).u16(uint16_t(v >> 16)); }
    ByteBuilder &i32(int32_t v) { return u32(uint32_t(v)); }
    ByteBuilder &raw(QByteArrayView v)
    {
        bytes.append(v);
        return *this;
    }
    // A short string: one length byte.
    ByteBuilder &str(QByteArrayView v) { return u8(uint8_t(v.size())).raw(v); }
    // A class not written before, schema 0.
    ByteBuilder &newClass(QByteArrayView name) { return u16(0xFFFF).u16(0).u16(uint16_t(name.size())).raw(name); }
};

} // namespace orvel::test
