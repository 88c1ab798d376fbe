#include "form/DrawEdit.h"

#include "form/DrawEditItem.h"
#include "form/DrawText.h"
#include "form/FormObjects.h"
#include "form/OleValue.h"
#include "media/Lead.h"
#include "media/PictureCache.h"
#include "media/PictureDecoder.h"
#include "platform/Codepage.h"
#include "platform/TempFile.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FieldType.h"
#include "table/ObjectStore.h"
#include "table/PathHelpers.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>

namespace orvel {

ORVEL_IMPLEMENT_SERIAL(CDrawEdit, CDrawObj, 0);

CDrawEdit::CDrawEdit()
    : CDrawEdit(0, RECT{})
{}

CDrawEdit::CDrawEdit(int fieldIndex_, const RECT &position_, const DrawColors &colors)
    : CDrawObj(position_, colors)
    , fieldIndex(fieldIndex_)
    , font(StockFont(DEFAULT_GUI_FONT))
    , textColor(colors.line)
{}

CDrawEdit::~CDrawEdit() = default;

void CDrawEdit::DiscardValueDisplay()
{
    valueItem.reset();
    shownValue.clear();
    valueUnreadable = false;
}

void CDrawEdit::Serialize(CArchive &ar)
{
    CDrawObj::Serialize(ar);
    if (ar.IsStoring()) {
        // The display item is a copy of the record's value, not part of the
        // form: it must not end up in the form's item list.
        DiscardValueDisplay();
    }
    CDrawText::SerializeTextStyle(ar, caption, font, reserved, textColor, drawFlags, alignment);
    if (ar.IsStoring()) {
        ar.WriteU16(spareFlag);
        ar.WriteU16(uint16_t(fieldIndex));
        ar.WriteU16(framed);
        ar.WriteU16(showFieldName);
        ar.WriteU16(embedded);
    } else {
        spareFlag = ar.ReadU16();
        fieldIndex = ar.ReadU16();
        framed = ar.ReadU16();
        showFieldName = ar.ReadU16();
        embedded = ar.ReadU16();
    }
}

void CDrawEdit::SetLineColor(COLORREF color)
{
    textColor = color;
    Changed();
}

int CDrawEdit::GetFieldType(const CDataTable *table) const
{
    if (table == nullptr || fieldIndex < 0 || fieldIndex >= table->GetFieldCount())
        return FT_TEXT;
    return table->GetFieldType(fieldIndex);
}

int CDrawEdit::GetMenuIndex(const CDataTable *table) const
{
    switch (GetFieldType(table)) {
    case FT_LINK:
        return 8; // "DrawEditShell"
    case FT_OLE:
        return 9; // "DrawEditOLE"
    case FT_PICTURE:
        return 10; // "DrawEditPic"
    case FT_MEMO:
        return 11; // "DrawEditMemo"
    default:
        return 3; // "DrawObj"
    }
}

namespace {

constexpr COLORREF kLightGrey = 0x00C0C0C0;

QString fieldName(const CDataTable *table, int fieldIndex)
{
    if (table == nullptr || fieldIndex < 0 || fieldIndex >= table->GetFieldCount())
        return QString();
    return AnsiToQString(table->GetFieldName(fieldIndex));
}

// An outlined rectangle in the given fill, drawn with a black one-pixel pen.
void outlinedBox(CDC &dc, const RECT &r, COLORREF fill)
{
    dc.SelectPen(kBlackPen);
    dc.SelectBrush(LOGBRUSH{BS_SOLID, fill, 0});
    dc.Rectangle(r);
}

} // namespace

RECT CDrawEdit::ValueArea(CDC *dc, const CDataTable *table, RECT *label)
{
    const RECT r = GetNormalizedPosition();
    RECT area = r;
    if (label != nullptr)
        *label = RECT{r.left, r.top, r.left, r.bottom};
    if (showFieldName == 0)
        return area;
    if (dc != nullptr) {
        dc->SelectFont(font);
        const int nameWidth = dc->GetTextExtent(fieldName(table, fieldIndex)).cx;
        const int minimum = 12 * dc->GetTextExtent(QStringLiteral("X")).cx;
        const int64_t right = std::min<int64_t>(int64_t(r.left) + std::max(nameWidth, minimum), r.right);
        labelRight = int32_t(std::min<int64_t>(right + 5, r.right));
        if (label != nullptr)
            *label = RECT{r.left, r.top + 3, int32_t(right), r.bottom - 3};
    }
    area.left = std::clamp(labelRight, r.left, r.right);
    return area;
}

void CDrawEdit::Draw(CDC &dc, const DrawContext &context)
{
    const CDataTable *table = context.table;
    const CDataRecord *record = table != nullptr ? table->GetRecord(context.record) : nullptr;
    const int type = GetFieldType(table);
    const SysColors &colors = context.colors;
    dc.SelectFont(font);
    dc.SetBkMode(TRANSPARENT);

    if (type == FT_MEMO) {
        // A push button over the whole position, named after its field.
        RECT r = GetNormalizedPosition();
        outlinedBox(dc, r, colors.face);
        dc.Draw3DFrame(r, Edge::Raised);
        dc.SetTextColor(colors.windowText);
        dc.DrawText(fieldName(table, fieldIndex), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        return;
    }

    RECT label;
    RECT area = ValueArea(&dc, table, &label);
    if (showFieldName != 0) {
        dc.SetTextColor(textColor);
        dc.DrawText(fieldName(table, fieldIndex), label, DT_RIGHT | DT_SINGLELINE | DT_NOPREFIX);
    }

    switch (type) {
    case FT_LINK: {
        outlinedBox(dc, area, colors.face);
        dc.Draw3DFrame(area, Edge::Raised);
        if (record == nullptr)
            return;
        // The caption is what stands before the first comma.
        const AnsiView value = record->GetRawValue(fieldIndex);
        const AnsiView shown = value.substr(0, std::min(value.find(','), value.size()));
        RECT text{area.left + 4, area.top + 3, area.right - 3, area.bottom - 3};
        dc.SetTextColor(colors.windowText);
        dc.DrawText(AnsiToQString(shown), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        return;
    }
    case FT_PICTURE:
    case FT_OLE:
        if (framed != 0)
            dc.Draw3DFrame(area, Edge::Sunken);
        if (record == nullptr)
            return;
        if (type == FT_PICTURE)
            drawPicture(dc, context, *record, area);
        else
            drawObject(dc, context, *record, area);
        return;
    default:
        break;
    }

    if (framed != 0) {
        const bool grey = context.designMode || record == nullptr;
        // A fixed light grey, whatever the desktop's colours: design mode
        // and "no record" look the same everywhere.
        outlinedBox(dc, area, grey ? kLightGrey : colors.window);
        dc.Draw3DFrame(area, Edge::Sunken);
    }
    if (IsRectEmpty(area) || record == nullptr)
        return;
    InflateRect(area, -3, -3);
    dc.SetTextColor(colors.windowText);
    dc.DrawText(AnsiToQString(record->GetDisplayValue(fieldIndex)), area,
                drawFlags | DT_WORDBREAK | DT_VCENTER | DT_NOPREFIX);
}

QString CDrawEdit::PictureFileOf(AnsiView value, bool embedded, int format, const QString &objectFile,
                                 const QString &databasePath, TempFile *copy)
{
    if (embedded) {
        if (IsNoObjectReference(value))
            return QString();
        copy->reset(ReadObject(objectFile, value));
        return copy->path();
    }
    if (value.empty())
        return QString();
    if ((format & kRelativePathsFormatBit) != 0 && !databasePath.isEmpty()) {
        const QString folder = QFileInfo(databasePath).absolutePath();
        return AnsiToQString(MakeAbsolutePath(value, QStringToAnsi(folder)));
    }
    return AnsiToQString(value);
}

void CDrawEdit::drawPicture(CDC &dc, const DrawContext &context, const CDataRecord &record, RECT area)
{
    const AnsiView value = record.GetRawValue(fieldIndex);
    if (value.empty())
        return;
    // Inside the frame; a little further in while the field is selected.
    if (context.IsSelected(this)) {
        area.left += 3;
        area.top += 3;
        area.right -= 2;
        area.bottom -= 2;
    } else {
        area.left += 2;
        area.top += 2;
        area.right -= 1;
        area.bottom -= 1;
    }
    if (!viewer)
        viewer = std::make_unique<CLead>();
    if (value != AnsiView(shownValue)) {
        TempFile copy;
        const int format = context.table != nullptr ? context.table->GetFieldFormat(fieldIndex) : 0;
        const QString file =
                PictureFileOf(value, embedded != 0, format, context.objectFile, context.databasePath, &copy);
        // Linked files are decoded once however many records name them; a
        // temporary copy is read once and then removed.
        BitmapPtr bitmap = file.isEmpty() ? nullptr : copy.isNull() ? PictureCache::Instance().Load(file) : nullptr;
        if (!copy.isNull()) {
            int formatCode = 0;
            bitmap = DecodePicture(file, &formatCode);
        }
        viewer->SetBitmap(bitmap);
        shownValue = AnsiString(value);
        valueUnreadable = !bitmap;
    }
    if (valueUnreadable) {
        QString message = LoadQString(ids::kMsgPictureUnreadable);
        message.replace(QStringLiteral("%1"), AnsiToQString(value));
        dc.SetTextColor(context.colors.windowText);
        dc.DrawText(message, area, DT_WORDBREAK | DT_NOPREFIX);
        return;
    }
    viewer->Draw(dc, area);
}

void CDrawEdit::drawObject(CDC &dc, const DrawContext &context, const CDataRecord &record, RECT area)
{
    // Reading the object may show the wait cursor and so paint again.
    static bool drawing = false;
    if (drawing)
        return;
    drawing = true;
    const auto done = qScopeGuard([] { drawing = false; });

    area.left += 2;
    area.top += 2;
    area.right -= 1;
    area.bottom -= 1;
    const AnsiView value = record.GetRawValue(fieldIndex);
    if (value != AnsiView(shownValue)) {
        valueItem.reset();
        shownValue = AnsiString(value);
        valueItem = ReadOleValue(context.objectFile, value, &valueUnreadable);
        if (valueItem)
            valueItem->drawEdit = this;
    }
    if (valueUnreadable) {
        dc.SetTextColor(context.colors.windowText);
        dc.DrawText(LoadQString(ids::kMsgOleValueUnreadable), area, DT_WORDBREAK | DT_NOPREFIX);
        return;
    }
    if (!valueItem)
        return;
    valueItem->DrawInto(dc, area);
    // While the document is open in its application it is hatched, as
    // embedded objects on the form are.
    if (!context.printing && context.isValueOpen && context.isValueOpen(context.record, fieldIndex)) {
        dc.SelectPen(kNullPen);
        dc.SelectBrush(LOGBRUSH{BS_HATCHED, 0x000000, HS_BDIAGONAL});
        dc.Rectangle(area);
    }
}

} // namespace orvel
