#include "cli/DatabaseDump.h"

#include "cli/JsonWriter.h"
#include "document/OrvelDoc.h"
#include "form/DrawEdit.h"
#include "form/DrawEditItem.h"
#include "form/DrawItem.h"
#include "form/DrawOleObj.h"
#include "form/DrawPicture.h"
#include "form/DrawPoly.h"
#include "form/DrawRect.h"
#include "form/DrawText.h"
#include "form/OleValue.h"
#include "media/MemoStore.h"
#include "table/DataRecord.h"
#include "table/FieldType.h"

#include <QFileInfo>

#include <optional>

namespace orvel::cli {

namespace {

void WriteFont(JsonWriter &json, std::string_view key, const LOGFONT &font)
{
    json.beginObject(key);
    json.value("height", int64_t(font.lfHeight));
    json.value("width", int64_t(font.lfWidth));
    json.value("escapement", int64_t(font.lfEscapement));
    json.value("orientation", int64_t(font.lfOrientation));
    json.value("weight", int64_t(font.lfWeight));
    json.value("italic", int64_t(font.lfItalic));
    json.value("underline", int64_t(font.lfUnderline));
    json.value("strikeOut", int64_t(font.lfStrikeOut));
    json.value("charSet", int64_t(font.lfCharSet));
    json.value("outPrecision", int64_t(font.lfOutPrecision));
    json.value("clipPrecision", int64_t(font.lfClipPrecision));
    json.value("quality", int64_t(font.lfQuality));
    json.value("pitchAndFamily", int64_t(font.lfPitchAndFamily));
    json.value("faceName", AnsiView(font.faceName()));
    json.endObject();
}

void WriteFields(JsonWriter &json, const CDataTable &table)
{
    json.beginArray("fields");
    for (int pos = 0; pos < table.GetFieldCount(); ++pos) {
        json.beginObject();
        json.value("name", AnsiView(table.GetFieldName(pos)));
        json.value("type", int64_t(table.GetFieldType(pos)));
        json.value("format", int64_t(table.GetFieldFormat(pos)));
        json.value("width", int64_t(table.GetColumnWidth(pos)));
        json.value("print", table.GetPrintFlag(pos) != 0);
        json.value("default", AnsiView(table.GetDefaultValue(pos)));
        json.endObject();
    }
    json.endArray();
}

// An embedded document's item; `key` empty for an element of an array.
void WriteItem(JsonWriter &json, const CEmbeddedItem *item, std::string_view key = "item")
{
    if (!item) {
        json.null(key);
        return;
    }
    json.beginObject(key);
    json.value("name", AnsiView(item->fileName));
    json.value("type", AnsiView(item->mimeType));
    json.value("linked", int64_t(item->linked ? 1 : 0));
    json.value("bytes", int64_t(item->linked ? 0 : item->bytes.size()));
    json.endObject();
}

void WriteRecords(JsonWriter &json, const COrvelDoc &doc, bool display, bool memos, bool objects)
{
    const CDataTable &table = doc.GetTable();
    json.beginArray("records");
    AnsiString buffer;
    const int fieldCount = table.GetFieldCount();
    for (int i = 0; i < table.GetRecordCount(); ++i) {
        const CDataRecord &record = *table.GetRecord(i);
        json.beginObject();
        json.value("modified", int64_t(record.GetModificationTime()));
        json.value("height", int64_t(record.GetRowHeight()));
        json.beginArray("values");
        for (int pos = 0; pos < fieldCount; ++pos) {
            if (objects && table.GetFieldType(pos) == FT_OLE) {
                WriteItem(json, ReadOleValue(doc.GetWorkingStorePath(), record.GetRawValue(pos)).get(), {});
            } else if (memos && table.GetFieldType(pos) == FT_MEMO) {
                const std::optional<AnsiString> memo = ReadMemo(doc.GetWorkingStorePath(), record.GetRawValue(pos));
                if (memo)
                    json.element(*memo);
                else
                    json.null();
            } else if (display && IsDataType(table.GetFieldType(pos)))
                json.element(record.GetDisplayValue(pos, buffer));
            else
                json.element(record.GetRawValue(pos));
        }
        json.endArray();
        json.endObject();
    }
    json.endArray();
}

void WritePage(JsonWriter &json, const PageSettings &page)
{
    json.beginObject("page");
    WriteFont(json, "font", page.printFont);
    json.value("lines", int64_t(page.lineStyle));
    json.value("fieldNames", int64_t(page.printFieldNames));
    json.value("numbers", int64_t(page.numberRecords));
    json.value("autoWidths", int64_t(page.determineWidths));
    json.beginObject("margins");
    json.value("left", int64_t(page.marginLeft));
    json.value("right", int64_t(page.marginRight));
    json.value("top", int64_t(page.marginTop));
    json.value("bottom", int64_t(page.marginBottom));
    json.endObject();
    json.value("alignment", int64_t(page.alignment));
    json.value("header", AnsiView(page.pageHeader));
    json.value("footer", AnsiView(page.pageFooter));
    json.value("orientation", int64_t(page.orientation));
    json.value("source", int64_t(page.paperSource));
    json.value("size", int64_t(page.paperSize));
    json.endObject();
}

void WriteObject(JsonWriter &json, const CDrawObj &object)
{
    json.beginObject();
    json.value("class", QString::fromLatin1(object.GetRuntimeClass().name));
    const RECT &p = object.position;
    json.numbers("position", {p.left, p.top, p.right, p.bottom});
    json.value("hasPen", int64_t(object.hasPen));
    json.beginObject("pen");
    json.value("style", int64_t(object.pen.lopnStyle));
    json.numbers("width", {object.pen.lopnWidth.x, object.pen.lopnWidth.y});
    json.value("color", int64_t(object.pen.lopnColor));
    json.endObject();
    json.value("hasBrush", int64_t(object.hasBrush));
    json.beginObject("brush");
    json.value("style", int64_t(object.brush.lbStyle));
    json.value("color", int64_t(object.brush.lbColor));
    json.value("hatch", int64_t(object.brush.lbHatch));
    json.endObject();
    json.value("frame3D", int64_t(object.frame3D));

    if (const auto *rect = dynamic_cast<const CDrawRect *>(&object)) {
        json.value("shape", int64_t(rect->shape));
        json.numbers("roundness", {rect->roundness.x, rect->roundness.y});
    } else if (const auto *poly = dynamic_cast<const CDrawPoly *>(&object)) {
        json.beginArray("points");
        for (const POINT &point : poly->GetPoints())
            json.numbers({}, {point.x, point.y});
        json.endArray();
        json.value("allocated", int64_t(poly->GetAllocatedCount()));
    } else if (const auto *text = dynamic_cast<const CDrawText *>(&object)) {
        json.value("text", AnsiView(text->text));
        WriteFont(json, "font", text->font);
        json.value("reserved", int64_t(text->reserved));
        json.value("textColor", int64_t(text->textColor));
        json.value("drawFlags", int64_t(text->drawFlags));
        json.value("alignment", int64_t(text->alignment));
        json.value("wordWrap", int64_t(text->wordWrap));
    } else if (const auto *edit = dynamic_cast<const CDrawEdit *>(&object)) {
        json.value("caption", AnsiView(edit->caption));
        json.value("fieldIndex", int64_t(edit->fieldIndex));
        WriteFont(json, "font", edit->font);
        json.value("reserved", int64_t(edit->reserved));
        json.value("textColor", int64_t(edit->textColor));
        json.value("drawFlags", int64_t(edit->drawFlags));
        json.value("alignment", int64_t(edit->alignment));
        json.value("spareFlag", int64_t(edit->spareFlag));
        json.value("framed", int64_t(edit->framed));
        json.value("showFieldName", int64_t(edit->showFieldName));
        json.value("embedded", int64_t(edit->embedded));
    } else if (const auto *picture = dynamic_cast<const CDrawPicture *>(&object)) {
        json.value("embedded", int64_t(picture->embedded));
        json.value("relativePath", int64_t(picture->relativePath));
        json.value("path", AnsiView(picture->path));
        int64_t bytes = 0;
        if (picture->embedded && !picture->tempPath.isNull())
            bytes = QFileInfo(picture->tempPath.path()).size();
        json.value("bytes", bytes);
    } else if (const auto *ole = dynamic_cast<const CDrawOleObj *>(&object)) {
        json.numbers("extent", {ole->extent.cx, ole->extent.cy});
        WriteItem(json, ole->clientItem.get());
    }
    json.endObject();
}

void WriteForm(JsonWriter &json, const CFormObjects &form)
{
    json.beginObject("form");
    json.value("background", int64_t(form.GetBackground()));
    json.beginArray("objects");
    for (const auto &object : form.GetObjects())
        WriteObject(json, *object);
    json.endArray();
    json.endObject();
}

} // namespace

std::string DumpDatabase(const COrvelDoc &doc, bool display, bool memos, bool objects)
{
    JsonWriter json;
    json.beginObject();
    json.value("format", doc.GetFileFormatName());
    json.value("version", int64_t(doc.GetFileVersion()));
    WriteFields(json, doc.GetTable());
    WriteRecords(json, doc, display, memos, objects);
    WritePage(json, doc.GetPageSettings());
    WriteForm(json, doc.GetForm());
    json.endObject();
    return json.take();
}

} // namespace orvel::cli
