#include "table/SearchCommands.h"

#include "platform/Services.h"
#include "resources/StringIds.h"
#include "table/DataTable.h"
#include "table/Search.h"

namespace orvel {

namespace {

// One message for none, one, or more: the count goes into the last.
void reportCount(int count, int oneId, int manyId)
{
    if (count == 0)
        MessageBoxById(ids::kMsgNothingFound, MsgIcon::Information);
    else if (count == 1)
        MessageBoxById(oneId, MsgIcon::Information);
    else
        MessageBoxById(manyId, MsgIcon::Information, MsgButtons::Ok, {QString::number(count)});
}

} // namespace

bool FindNextCommand(const CDataTable &table, const SearchSpec &spec, int link, int &current, SearchRun &run)
{
    int field = run.currentField;
    const int found = FindRecord(table, spec, link, current, field);
    if (found < 0 || found == run.firstHit) {
        MessageBoxById(ids::kMsgNothingFound, MsgIcon::Information);
        return false;
    }
    current = found;
    run.currentField = field;
    if (run.firstHit < 0)
        run.firstHit = found;
    return true;
}

bool ReplaceCommand(CDataTable &table, const SearchCriterion &criterion, int &current, SearchRun &run)
{
    bool changed = false;
    if (RecordMatches(table, criterion, current)) {
        changed = ReplaceInRecord(table, criterion, current) != 0;
        if (run.firstHit < 0)
            run.firstHit = current;
    }
    SearchSpec spec;
    spec.criterion1 = criterion;
    FindNextCommand(table, spec, SL_NONE, current, run);
    return changed;
}

int ReplaceAllCommand(CDataTable &table, const SearchCriterion &criterion)
{
    if (criterion.text == criterion.replacement || criterion.field < 0 || criterion.field >= table.GetFieldCount())
        return 0;
    int count = 0;
    {
        std::unique_ptr<ProgressBox> progress =
                services().beginProgress(ids::kCaptionReplacing, 0, table.GetRecordCount());
        count = ReplaceAll(table, criterion, [&progress](int next) {
            progress->setPos(next);
            return !EscapePressedAndConfirmed();
        });
    }
    reportCount(count, ids::kMsgReplacedOne, ids::kMsgReplacedMany);
    return count;
}

int MarkMatchesCommand(CDataTable &table, const SearchSpec &spec, int link)
{
    if (table.GetMarkedCount() > 0
        && MessageBoxById(ids::kMsgRemoveMarksFirst, MsgIcon::Question, MsgButtons::YesNo) == MsgResult::Yes) {
        table.UnmarkAllRecords();
        table.SetModified();
    }
    int count = 0;
    {
        WaitCursor wait;
        count = MarkMatches(table, spec, link);
    }
    reportCount(count, ids::kMsgMarkedOne, ids::kMsgMarkedMany);
    return count;
}

} // namespace orvel
