#pragma once

#include "platform/ScriptedServices.h"
#include "table/DataTable.h"
#include "table/FieldType.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>

#include <functional>
#include <initializer_list>
#include <vector>

namespace orvel::test {

// Takes the first `capacity` bytes and fails every write after them, as a
// full disk would.
class CappedDevice : public QIODevice
{
public:
    explicit CappedDevice(qint64 capacity)
        : m_capacity(capacity)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    qint64 written() const { return m_written; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 length) override
    {
        if (m_written + length > m_capacity)
            return -1;
        m_written += length;
        return length;
    }

private:
    qint64 m_capacity;
    qint64 m_written = 0;
};

// What an operation showed in its progress window.
struct ProgressSeen
{
    int caption = 0;
    int high = 0;
    std::vector<int> positions;
};

inline ProgressSeen SeenProgress(const ScriptedServices &scripted)
{
    ProgressSeen seen;
    for (const auto &event : scripted.progress()) {
        if (event.kind == ScriptedServices::ProgressEvent::Caption)
            seen.caption = event.a;
        else if (event.kind == ScriptedServices::ProgressEvent::Range)
            seen.high = event.b;
        else if (event.kind == ScriptedServices::ProgressEvent::Pos)
            seen.positions.push_back(event.a);
    }
    return seen;
}

class TextExportTest : public testing::Test
{
protected:
    ScriptedServices scripted;
    ScopedServices installed{&scripted};
    CDataTable table;

    void AddField(const char *name, int type = FT_TEXT, int format = 0)
    {
        const int pos = table.InsertField(name);
        table.SetFieldType(type, pos);
        table.SetFieldFormat(format, pos);
    }
    void AddRow(std::initializer_list<const char *> values)
    {
        auto record = table.CreateRecord(false);
        int pos = 0;
        for (const char *value : values)
            record->SetRawValue(value, pos++);
        table.AddRecord(std::move(record));
    }
    // Name (text), Bild (picture), Ort (text).
    void MakeAddressTable()
    {
        AddField("&Name");
        AddField("Bild", FT_PICTURE);
        AddField("Ort");
        AddRow({"M\xFCller", "/bilder/a.png", "K\xF6ln"});
        AddRow({"", "", "Bonn"});
    }
    QByteArray Export(const std::function<int(QIODevice &)> &write)
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        EXPECT_EQ(write(buffer), 1);
        return bytes;
    }
};

} // namespace orvel::test
