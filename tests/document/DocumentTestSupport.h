#pragma once

#include "document/OrvelDoc.h"
#include "platform/ScriptedServices.h"

#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QIODevice>

#include <cerrno>
#include <initializer_list>

namespace orvel::test {

inline QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

inline quint16 U16At(const QByteArray &b, qsizetype at)
{
    return quint16(quint8(b[at]) | (quint8(b[at + 1]) << 8));
}

inline quint32 U32At(const QByteArray &b, qsizetype at)
{
    return quint32(U16At(b, at)) | (quint32(U16At(b, at + 2)) << 16);
}

inline void PutU16(QByteArray &b, qsizetype at, quint16 v)
{
    b[at] = char(v & 0xFF);
    b[at + 1] = char(v >> 8);
}

inline void PutU32(QByteArray &b, qsizetype at, quint32 v)
{
    PutU16(b, at, quint16(v & 0xFFFF));
    PutU16(b, at + 2, quint16(v >> 16));
}

inline QByteArray Counted(const QByteArray &text)
{
    QByteArray b(2, '\0');
    PutU16(b, 0, quint16(text.size()));
    return b + text;
}

// File offsets of the documented layout: the header block starts at 10.
constexpr qsizetype kHdr = 10;
constexpr qsizetype kFixed = 1384;

struct FieldSpec
{
    QByteArray name;
    quint16 type = 0;
    quint16 width = 18;
    quint16 format = 0;
};

// A database file built by hand from the documented layout: version, fields
// and records; the form block and default values follow the version.
inline QByteArray BuildDatabase(quint16 version, const std::vector<FieldSpec> &fields,
                                const std::vector<std::vector<QByteArray>> &records)
{
    QByteArray file("ORVEL0\x1A\0", 8);
    file += QByteArray(2 + 1374, '\0');
    PutU16(file, 8, version);
    PutU32(file, kHdr + 0x000, quint32(records.size()));
    PutU16(file, kHdr + 0x004, quint16(fields.size()));
    for (std::size_t k = 0; k < fields.size(); ++k) {
        PutU16(file, kHdr + 0x006 + 2 * qsizetype(k), fields[k].width);
        PutU16(file, kHdr + 0x046 + 2 * qsizetype(k), fields[k].type);
        PutU16(file, kHdr + 0x086 + 2 * qsizetype(k), fields[k].format);
    }
    PutU32(file, kHdr + 0x186, 0xFFFFFFFFu);
    PutU16(file, kHdr + 0x3CC, 500);
    for (const FieldSpec &field : fields)
        file += Counted(field.name);
    if (version >= 0x055F && version != 1)
        file += QByteArray("\xC0\xC0\xC0\x00"
                           "\x00\x00"
                           "\x00\x00\x00\x00",
                           10); // an empty form
    if (version >= 0x0560)
        for (std::size_t k = 0; k < fields.size(); ++k)
            file += Counted({});
    PutU32(file, kHdr + 0x3CE, quint32(file.size()));
    for (const auto &values : records) {
        QByteArray prefix(6, '\0');
        PutU32(prefix, 0, 851385600); // 1996-12-24
        PutU16(prefix, 4, 1);         // one line high
        file += prefix;
        for (const QByteArray &value : values)
            file += Counted(value);
    }
    return file;
}

// Fails every write once `budget` bytes have gone through, as a full disk
// would.
class FailDevice : public QIODevice
{
public:
    FailDevice(QIODevice &inner, qint64 budget)
        : m_inner(inner)
        , m_budget(budget)
    {
        open(inner.openMode() | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return false; }
    bool seek(qint64 pos) override { return m_inner.seek(pos) && QIODevice::seek(pos); }
    qint64 size() const override { return m_inner.size(); }

protected:
    qint64 readData(char *data, qint64 max) override { return m_inner.read(data, max); }
    qint64 writeData(const char *data, qint64 size) override
    {
        if (size > m_budget) {
            errno = ENOSPC;
            return -1;
        }
        m_budget -= size;
        return m_inner.write(data, size);
    }

private:
    QIODevice &m_inner;
    qint64 m_budget;
};

// A document with a text field named "Name" and further fields of the given
// types, and records of the given values.
inline void AddField(COrvelDoc &doc, const char *name, int type = 0)
{
    const int pos = doc.GetTable().InsertField(name);
    doc.GetTable().SetFieldType(type, pos);
}

inline void AddRecord(COrvelDoc &doc, std::initializer_list<const char *> values)
{
    CDataTable &table = doc.GetTable();
    auto record = table.CreateRecord(false);
    int pos = 0;
    for (const char *value : values)
        record->SetRawValue(value, pos++);
    record->SetModificationTime(851385600);
    table.AddRecord(std::move(record));
}

inline DocumentOptionOverrides RelativePaths(bool on)
{
    DocumentOptionOverrides overrides;
    overrides.relativePaths = on;
    return overrides;
}

class DocumentTest : public testing::Test
{
protected:
    void SetUp() override { dir = MakeScratchDir(); }
    QString path(const char *name) const { return dir + QLatin1Char('/') + QLatin1String(name); }
    QStringList entries() const { return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    ScriptedServices scripted;
    ScopedServices scope{&scripted};
    QString dir;
};

} // namespace orvel::test
