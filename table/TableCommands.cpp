#include "table/TableCommands.h"

#include "platform/Services.h"
#include "resources/StringIds.h"
#include "table/DataTable.h"
#include "table/FieldType.h"

namespace orvel {

namespace {

// Where a deleted current record leaves the view.
int currentAfterRemoval(const CDataTable &table, int current)
{
    if (table.GetRecordCount() == 0)
        return -1;
    return current >= table.GetRecordCount() ? table.GetRecordCount() - 1 : current;
}

bool newRecord(CDataTable &table, int &current, bool after)
{
    if (table.GetRecordCount() >= kMaxRecords) {
        MessageBoxById(ids::kMsgTooManyRecords);
        return false;
    }
    // A record without values has nothing to show; the commands need fields.
    if (table.GetFieldCount() == 0)
        return false;

    auto record = table.CreateRecord(true);
    for (int pos = 0; pos < table.GetFieldCount(); ++pos)
        record->SetValue(table.GetDefaultValue(pos), pos);

    const int count = table.GetRecordCount();
    const bool hasCurrent = current >= 0 && current < count;
    int index = count;
    if (hasCurrent && !after)
        index = current;
    else if (hasCurrent && after && current < count - 1)
        index = current + 1;
    index = table.InsertRecord(index, std::move(record));
    if (index < 0)
        return false;
    current = index;
    table.SetModified();
    return true;
}

} // namespace

bool CheckFieldLimit(const CDataTable &table)
{
    if (table.GetFieldCount() < kMaxFields)
        return true;
    MessageBoxById(ids::kMsgTooManyFields);
    return false;
}

int NewFieldCommand(CDataTable &table, AnsiView name, int pos, int type, int format, AnsiView defaultValue)
{
    if (!CheckFieldLimit(table))
        return -1;
    pos = table.InsertField(name, pos);
    if (pos < 0)
        return -1;
    table.SetFieldType(IsValidFieldType(type) ? type : FT_TEXT, pos);
    table.SetFieldFormat(format, pos);
    table.SetPrintFlag(IsDataType(type) ? 1 : 0, pos);
    table.SetDefaultValue(defaultValue, pos);
    return pos;
}

bool NewRecordBeforeCommand(CDataTable &table, int &current)
{
    return newRecord(table, current, false);
}

bool NewRecordAfterCommand(CDataTable &table, int &current)
{
    return newRecord(table, current, true);
}

bool DeleteRecordCommand(CDataTable &table, int &current)
{
    if (current < 0 || current >= table.GetRecordCount())
        return false;
    if (MessageBoxById(ids::kMsgConfirmDeleteRecord, MsgIcon::Question, MsgButtons::YesNoCancel) != MsgResult::Yes)
        return false;
    table.RemoveRecord(current);
    current = currentAfterRemoval(table, current);
    table.SetModified();
    return true;
}

bool DeleteMarkedRecordsCommand(CDataTable &table, int &current)
{
    if (table.GetMarkedCount() == 0)
        return false;
    if (MessageBoxById(ids::kMsgConfirmDeleteRecords, MsgIcon::Question, MsgButtons::YesNoCancel) != MsgResult::Yes)
        return false;
    table.RemoveMarkedRecords();
    current = currentAfterRemoval(table, current);
    table.SetModified();
    return true;
}

bool GoToRecordCommand(const CDataTable &table, int number, int &current)
{
    if (number < 1 || number > table.GetRecordCount()) {
        MessageBoxById(ids::kMsgRecordNumberOutOfRange, MsgIcon::Stop);
        return false;
    }
    current = number - 1;
    return true;
}

bool ToggleMarkCommand(CDataTable &table, int current)
{
    CDataRecord *record = table.GetRecord(current);
    if (!record)
        return false;
    record->SetMark(!record->IsMarked());
    table.SetModified();
    return true;
}

bool MarkAllCommand(CDataTable &table)
{
    if (table.GetRecordCount() == 0)
        return false;
    table.MarkAllRecords();
    table.SetModified();
    return true;
}

bool ClearMarksCommand(CDataTable &table)
{
    if (table.GetRecordCount() == 0)
        return false;
    table.UnmarkAllRecords();
    table.SetModified();
    return true;
}

} // namespace orvel
