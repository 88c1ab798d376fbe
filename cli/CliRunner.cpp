#include "cli/CliRunner.h"

#include "document/FileFormats.h"

#include "cli/DatabaseDump.h"
#include "cli/JsonWriter.h"
#include "document/AtomicSave.h"
#include "document/OrvelDoc.h"
#include "document/SaveProposal.h"
#include "platform/Codepage.h"
#include "platform/DiskSync.h"
#include "platform/Nls.h"
#include "platform/Services.h"
#include "resources/StringIds.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/Duplicates.h"
#include "table/FieldType.h"
#include "table/Search.h"
#include "table/SearchCommands.h"
#include "table/SortKeys.h"
#include "table/TableLimits.h"

#include <QElapsedTimer>

#include <charconv>
#include <cstdio>
#include <memory>
#include <optional>

namespace orvel::cli {

namespace {

// Timing of the phases of one command, printed as one line on request.
class PhaseTimer
{
public:
    explicit PhaseTimer(bool enabled)
        : m_enabled(enabled)
    {
        m_timer.start();
    }

    // Ends a phase. The time spent flushing files to disk during it is
    // reported on its own, as "flush".
    void phase(const char *name)
    {
        const qint64 ns = m_timer.nsecsElapsed();
        const std::int64_t synced = SyncNanoseconds() - m_syncAtStart;
        m_timer.restart();
        m_syncAtStart = SyncNanoseconds();
        if (!m_enabled)
            return;
        append(name, ns - synced);
        if (synced > 0)
            append("flush", synced);
    }

    void print() const
    {
        if (m_enabled)
            std::fprintf(stderr, "timing: %s\n", m_line.c_str());
    }

private:
    void append(const char *name, std::int64_t ns)
    {
        if (!m_line.empty())
            m_line += ", ";
        char buffer[32];
        const auto r = std::to_chars(buffer, buffer + sizeof buffer, double(ns) / 1e6, std::chars_format::fixed, 1);
        m_line += name;
        m_line += ' ';
        m_line.append(buffer, r.ptr);
        m_line += " ms";
    }

    bool m_enabled;
    QElapsedTimer m_timer;
    std::int64_t m_syncAtStart = SyncNanoseconds();
    std::string m_line;
};

void UsageError(const QString &text)
{
    std::fprintf(stderr, "orvel-cli: %s\n", text.toLocal8Bit().constData());
}

// A value as one line of output: tabs and line breaks become blanks.
void AppendLine(std::string &out, int index, AnsiView value)
{
    char buffer[16];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, index);
    out.append(buffer, r.ptr);
    out += '\t';
    const std::size_t start = out.size();
    JsonWriter::AppendUtf8(out, value);
    for (std::size_t i = start; i < out.size(); ++i) {
        if (out[i] == '\t' || out[i] == '\n' || out[i] == '\r')
            out[i] = ' ';
    }
    out += '\n';
}

bool CheckPosition(const CDataTable &table, int pos, const char *what)
{
    if (pos >= 0 && pos < table.GetFieldCount())
        return true;
    UsageError(QStringLiteral("Die Datei hat kein Feld an Position %1 (%2).").arg(pos).arg(QLatin1String(what)));
    return false;
}

SearchCriterion ToCriterion(const CliCriterion &c)
{
    SearchCriterion criterion;
    criterion.field = c.field;
    criterion.options = std::uint32_t(c.options);
    criterion.text = QStringToAnsi(c.text);
    return criterion;
}

// A search keeps only the records that meet it while the file is read, so
// that records that do not are never made.
class SearchFilter : public RecordFilter
{
public:
    SearchFilter(const SearchSpec &spec, int link)
        : m_spec(spec)
        , m_link(link)
    {}

    void Prepare(const CDataTable &table) override { m_test = std::make_unique<SearchSpecTest>(table, m_spec, m_link); }
    bool Keep(const AnsiView *values, int count, AnsiString &buffer) const override
    {
        return m_test->Meets(values, count, buffer);
    }

private:
    SearchSpec m_spec;
    int m_link;
    std::unique_ptr<SearchSpecTest> m_test;
};

// The save dialog's filter that a user would pick for the name: the
// document remembers it as its last format.
int SaveFilterIndexForPath(const QString &path)
{
    const QString ext = FileExtension(path);
    if (ext == QLatin1String("dbf"))
        return 2;
    if (ext == QLatin1String("htm"))
        return 3;
    if (ext == QLatin1String("sdf"))
        return 4;
    if (ext == QLatin1String("txt"))
        return 5;
    if (ext == QLatin1String("csv"))
        return 7;
    return 1;
}

// "Speichern unter": the format by the target's extension, the object file
// rebuilt.
bool SaveAs(COrvelDoc &doc, const QString &path)
{
    return doc.Save(path, SaveFilterIndexForPath(path), true);
}

} // namespace

int RunCliCommand(const CliArguments &args, std::string &out)
{
    PhaseTimer timer(args.timing);
    CAtomicSave::SetSyncNewFiles(!args.noSync);

    DocumentOptionOverrides overrides;
    overrides.relativePaths = args.relativePaths;
    // A delimiter is one for SDF and CSV alike; 0 (detect) only for CSV.
    if (args.fieldDelimiter && *args.fieldDelimiter > 0)
        overrides.sdfFieldDelimiter = args.fieldDelimiter;
    overrides.csvFieldDelimiter = args.fieldDelimiter;
    overrides.csvEncoding = args.csvEncoding;
    if (args.csvBom)
        overrides.csvBom = *args.csvBom ? 1 : 0;
    overrides.sdfDataDelimiter = args.dataDelimiter;
    if (args.dosCharset) {
        overrides.sdfCharSet = *args.dosCharset ? 0 : 1;
        overrides.dbfCharSet = overrides.sdfCharSet;
    }

    COrvelDoc doc;
    // The process ends after the command: the records are left to it.
    struct AbandonRecords
    {
        CDataTable &table;
        ~AbandonRecords() { table.AbandonRecordsAtExit(); }
    } abandon{doc.GetTable()};
    doc.SetOptionOverrides(overrides);
    // A search reads the values of the fields it looks at only, and keeps
    // the records that meet it.
    SearchSpec spec;
    spec.criterion1 = ToCriterion(args.criterion1);
    if (args.link != 0)
        spec.criterion2 = ToCriterion(args.criterion2);
    SearchFilter matches(spec, args.link);
    if (args.command == QLatin1String("find")) {
        auto bit = [](int field) { return field >= 0 && field < kMaxFields ? std::uint32_t(1) << field : 0u; };
        doc.SetFieldsToLoad(bit(args.criterion1.field) | (args.link != 0 ? bit(args.criterion2.field) : 0u));
        doc.SetRecordFilter(&matches);
    }
    // A conversion into a database file converts the records as it writes
    // them, where the input's format can (dBASE): they need no memory then.
    if (args.command == QLatin1String("convert") && !FileFormats::Find(args.output))
        doc.SetStreamRecords(true);
    if (!doc.Open(args.input))
        return kExitFailed;
    // Reading or writing an exchange format is reported under its own name.
    timer.phase(doc.GetFileFormatName() == QLatin1String("ovd") ? "load" : "import");

    CDataTable &table = doc.GetTable();
    const QString &command = args.command;

    if (command == QLatin1String("dump")) {
        out = DumpDatabase(doc, args.display, args.memos, args.objects);
        timer.phase("dump");
    } else if (command == QLatin1String("convert")) {
        if (!SaveAs(doc, args.output))
            return kExitFailed;
        timer.phase(FileFormats::Find(args.output) ? "export" : "save");
    } else if (command == QLatin1String("sort")) {
        SortKeys keys;
        for (std::size_t i = 0; i < args.keys.size(); ++i) {
            const CliSortKey &k = args.keys[i];
            if (!CheckPosition(table, k.field, "--key"))
                return kExitUsage;
            if (!IsDataType(table.GetFieldType(k.field))) {
                UsageError(QStringLiteral("Das Feld an Position %1 ist kein Datenfeld und kann nicht sortiert werden.")
                                   .arg(k.field));
                return kExitUsage;
            }
            for (std::size_t j = 0; j < i; ++j) {
                if (args.keys[j].field == k.field) {
                    UsageError(QStringLiteral("Das Feld an Position %1 ist zweimal als Schlüssel angegeben.")
                                       .arg(k.field));
                    return kExitUsage;
                }
            }
            keys.key[i].field = k.field;
            keys.key[i].descending = k.descending ? 1 : 0;
        }
        if (table.GetRecordCount() > 0 && !SortCommand(table, keys))
            return kExitFailed;
        timer.phase("sort");
        if (!SaveAs(doc, args.output))
            return kExitFailed;
        timer.phase("save");
    } else if (command == QLatin1String("find")) {
        if (!CheckPosition(table, args.criterion1.field, "--field")
            || (args.link != 0 && !CheckPosition(table, args.criterion2.field, "--field2")))
            return kExitUsage;
        AnsiString buffer;
        int found = 0;
        if (const std::optional<std::vector<int>> &kept = doc.GetKeptRecords()) {
            // A database file was read for the records that meet the search
            // only; each is named by its place in the file.
            const std::vector<int> &places = *kept;
            found = table.GetRecordCount();
            for (int i = 0; i < found && std::size_t(i) < places.size(); ++i)
                AppendLine(out, places[std::size_t(i)],
                           table.GetRecord(i)->GetDisplayValue(spec.criterion1.field, buffer));
        } else {
            // Nothing is marked in a file just imported, so marking the
            // matches finds exactly them, on the table's fast scan.
            found = MarkMatches(table, spec, args.link);
            for (int i = 0; found > 0 && i < table.GetRecordCount(); ++i) {
                const CDataRecord *record = table.GetRecord(i);
                if (record->IsMarked())
                    AppendLine(out, i, record->GetDisplayValue(spec.criterion1.field, buffer));
            }
        }
        if (found == 0)
            MessageBoxById(ids::kMsgNothingFound, MsgIcon::Information);
        timer.phase("find");
    } else if (command == QLatin1String("replace")) {
        if (!CheckPosition(table, args.criterion1.field, "--field"))
            return kExitUsage;
        SearchCriterion criterion = ToCriterion(args.criterion1);
        criterion.replacement = QStringToAnsi(args.replacement);
        if (criterion.text.empty() || criterion.text == criterion.replacement) {
            // Nothing to replace; the output is written all the same.
            MessageBoxById(ids::kMsgNothingFound, MsgIcon::Information);
        } else if (ReplaceAllCommand(table, criterion) > 0) {
            doc.SetModifiedFlag();
        }
        timer.phase("replace");
        if (!SaveAs(doc, args.output))
            return kExitFailed;
        timer.phase("save");
    } else if (command == QLatin1String("duplicates")) {
        for (const int field : args.duplicateFields) {
            if (!CheckPosition(table, field, "--fields"))
                return kExitUsage;
        }
        if (table.GetRecordCount() > 0) {
            const DuplicateMatch match = args.phonetic ? DuplicateMatch::Sound
                                         : args.fuzzy  ? DuplicateMatch::Similar
                                                       : DuplicateMatch::Exact;
            if (!MarkDuplicatesCommand(table, args.duplicateFields, match))
                return kExitFailed;
            AnsiString buffer;
            for (int i = 0; i < table.GetRecordCount(); ++i) {
                const CDataRecord *record = table.GetRecord(i);
                if (record->IsMarked())
                    AppendLine(out, i, record->GetDisplayValue(0, buffer));
            }
        }
        timer.phase("duplicates");
        if (!args.output.isEmpty()) {
            if (!SaveAs(doc, args.output))
                return kExitFailed;
            timer.phase("save");
        }
    }
    timer.print();
    return kExitSuccess;
}

} // namespace orvel::cli
