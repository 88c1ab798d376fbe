#include "form/ui/DataFieldSheet.h"

#include "document/OrvelDoc.h"
#include "form/DrawEdit.h"
#include "form/ui/CFieldPropDlg.h"
#include "form/ui/CTextPropGenDlg.h"
#include "platform/Services.h"
#include "platform/gfx/FontConversion.h"
#include "platform/ui/PropertySheet.h"
#include "resources/StringIds.h"
#include "table/FieldType.h"
#include "table/TableLimits.h"

#include <QFontMetrics>

namespace orvel {

namespace {

// Form coordinates are pixels at 96 dots per inch.
constexpr int kFormDpi = 96;

// The height of a data field of one line in `font`; the standard font's is
// fixed, so that new fields line up on every machine.
int LineHeight(const LOGFONT &font)
{
    if (font == StockFont(DEFAULT_GUI_FONT))
        return kGeneratedFormLineHeight;
    const QFontMetrics metrics(LogFontToQFont(font, kFormDpi));
    return metrics.height() + metrics.leading() + 6;
}

// The sheet's pages: the field page, and the format page unless the field
// shows a picture.
struct DataFieldSheet
{
    PropertySheet sheet;
    CFieldPropDlg *fieldPage;
    CTextPropGenDlg *formatPage = nullptr;

    DataFieldSheet(QWidget *parent, const CDataTable &table, int existing, const FieldDefinition &definition,
                   const TextFormat &format)
        : sheet(parent)
        , fieldPage(new CFieldPropDlg(table, existing, definition))
    {
        sheet.AddPage(fieldPage);
        if (definition.type != FT_PICTURE) {
            formatPage = new CTextPropGenDlg(format);
            sheet.AddPage(formatPage);
        }
    }
};

void ApplyFormat(CFormObjects &form, CDrawEdit &field, const TextFormat &format)
{
    form.ChangeObject(&field, [&format](CDrawObj &object) {
        auto &edit = static_cast<CDrawEdit &>(object);
        edit.font = format.font;
        edit.textColor = format.color;
        edit.alignment = uint16_t(format.alignment);
        // A data field's value never wraps.
        edit.drawFlags = uint16_t(format.alignment);
    });
}

} // namespace

bool EditDataFieldProperties(QWidget *parent, COrvelDoc &doc, CDrawEdit &field)
{
    const int pos = field.fieldIndex;
    if (pos < 0 || pos >= doc.GetTable().GetFieldCount())
        return false;
    FieldDefinition definition = doc.GetFieldDefinition(pos);
    definition.framed = field.framed != 0;
    definition.showFieldName = field.showFieldName != 0;
    definition.embedded = field.embedded != 0;
    DataFieldSheet pages(parent, doc.GetTable(), pos, definition, {field.font, field.textColor, field.alignment});
    if (pages.sheet.exec() != QDialog::Accepted)
        return false;
    if (pages.formatPage != nullptr)
        ApplyFormat(doc.GetForm(), field, pages.formatPage->Value());
    doc.ChangeField(pos, pages.fieldPage->Value());
    return true;
}

CDrawEdit *InsertDataFieldWithSheet(QWidget *parent, COrvelDoc &doc, const DrawColors &colors)
{
    if (doc.GetTable().GetFieldCount() >= kMaxFields) {
        MessageBoxById(ids::kMsgTooManyFields, MsgIcon::Exclamation);
        return nullptr;
    }
    FieldDefinition definition;
    definition.name = doc.NextDataFieldName();
    const TextFormat format{StockFont(DEFAULT_GUI_FONT), colors.line, 0};
    DataFieldSheet pages(parent, doc.GetTable(), -1, definition, format);
    if (pages.sheet.exec() != QDialog::Accepted)
        return nullptr;
    CDrawEdit *field = doc.CreateField(pages.fieldPage->Value(), colors);
    if (field == nullptr)
        return nullptr;
    const TextFormat chosen = pages.formatPage != nullptr ? pages.formatPage->Value() : format;
    ApplyFormat(doc.GetForm(), *field, chosen);
    // One line of the chosen font high.
    RECT position = field->position;
    position.bottom = position.top + LineHeight(chosen.font);
    doc.GetForm().MoveObject(field, position);
    return field;
}

} // namespace orvel
