#include "document/FieldDefinition.h"

#include "platform/Nls.h"
#include "resources/StringIds.h"
#include "table/DataTable.h"
#include "table/FieldType.h"
#include "table/ValueFormat.h"

namespace orvel {

int FieldDefinition::FormatValue() const
{
    switch (type) {
    case FT_NUMERIC:
        return decimals;
    case FT_DATE:
        return dateFormat;
    default:
        return -1;
    }
}

bool CanChangeFieldType(int from, int to)
{
    return from == to || (IsDataType(from) && IsDataType(to));
}

int CheckFieldDefinition(const CDataTable &table, int existing, const FieldDefinition &definition)
{
    const AnsiView name = TrimTrailingBlanks(definition.name);
    if (name.empty())
        return ids::kMsgFieldNameEmpty;
    if (definition.name.size() > std::size_t(kMaxFieldNameLength))
        return ids::kMsgFieldNameTooLong;
    if (table.FindPlainFieldName(definition.name, existing) >= 0)
        return ids::kMsgDuplicateFieldName;
    if (!definition.defaultValue.empty() && ShowsDisplayValue(definition.type)) {
        // The number or date a new record would get, as the list would show
        // it (text shows as it is).
        const LocaleInfo &locale = CurrentLocale();
        AnsiString stored;
        NormaliseInput(definition.type, definition.defaultValue, locale, stored);
        AnsiString buffer;
        const int format = definition.FormatValue() < 0 ? 0 : definition.FormatValue();
        if (FormatDisplayValue(definition.type, format, stored, locale, buffer) == "##")
            return ids::kMsgDefaultValueUnreadable;
    }
    return 0;
}

} // namespace orvel
