#pragma once

#include "form/DrawObj.h"

#include <memory>

namespace orvel {

class CDrawEditItem;
class CLead;
class CDataRecord;
class TempFile;

// A data field: shows and edits one field of the current record. Besides
// its stored look it keeps runtime state for the value it shows, which is
// never stored.
class CDrawEdit : public CDrawObj
{
    ORVEL_DECLARE_CLASS(CDrawEdit);

public:
    // For the archive: the defaults of a new data field, field 0.
    CDrawEdit();
    CDrawEdit(int fieldIndex, const RECT &position, const DrawColors &colors = {});
    ~CDrawEdit() override;

    // Before its bytes are written the field drops its display item and
    // forgets the value it was built for: both are rebuilt from the record.
    void Serialize(CArchive &ar) override;
    // The line colour of a data field is the colour of its label.
    void SetLineColor(COLORREF color) override;

    // Drops the display item and the value it was made for.
    void DiscardValueDisplay();
    // The file a picture value names: for an embedded field a temporary
    // copy out of `objectFile` (owned by *copy), with format bit 2 the value
    // taken relative to the database's folder, else the value itself. Empty
    // when there is nothing to read.
    static QString PictureFileOf(AnsiView value, bool embedded, int format, const QString &objectFile,
                                 const QString &databasePath, TempFile *copy);

    // The label and the value by the type of the field (see ValueArea).
    void Draw(CDC &dc, const DrawContext &context) override;
    // A data field cannot be copied: it belongs to its table field.
    std::unique_ptr<CDrawObj> Clone() const override { return nullptr; }
    // By the type of the field: link 8, OLE 9, picture 10, memo 11, the
    // others 3.
    int GetMenuIndex(const CDataTable *table) const override;
    // The field's type in `table`; text when the table lacks the field.
    int GetFieldType(const CDataTable *table) const;

    // Where the value goes: the normalized position, without the label when
    // the field name is shown. The label is the field's name, as wide as the
    // wider of the name and twelve "X" of the field's font (at most the
    // whole width), from 3 below the top to 3 above the bottom; the value
    // starts 5 right of it (at most the right edge). With a device context
    // the label is measured (and `labelRight` kept), else the kept value is
    // used. `label` receives the label's rectangle.
    RECT ValueArea(CDC *dc, const CDataTable *table, RECT *label = nullptr);

    // Stored and loaded, not otherwise used.
    AnsiString caption;
    // Display position of the field shown; 32-bit, stored in 16 bits.
    int32_t fieldIndex = 0;
    LOGFONT font;
    // Carried along and stored, never interpreted.
    uint16_t reserved = 0;
    // Colour of the field-name label.
    COLORREF textColor = kDefaultLineColor;
    uint16_t drawFlags = 0x10;
    uint16_t alignment = 0;
    // Stored and loaded, not otherwise used.
    uint16_t spareFlag = 1;
    // "Rahmen um Eingabefeld": a sunken frame around the value.
    uint16_t framed = 1;
    // "Feldnamen anzeigen": the field name left of the value.
    uint16_t showFieldName = 1;
    // Picture fields: the value names an object in the binary-object store
    // rather than a file.
    uint16_t embedded = 0;

    // Runtime only.
    // Imaging control of picture fields, made when first needed.
    std::unique_ptr<CLead> viewer;
    // The record value the displayed picture or OLE item was built for.
    AnsiString shownValue;
    // The OLE value being shown.
    std::unique_ptr<CDrawEditItem> valueItem;
    // The picture of `shownValue` could not be read: the message stands in
    // its place until the value changes, instead of a new attempt at every
    // repaint.
    bool valueUnreadable = false;
    // Where the value area starts when the field name is shown.
    int32_t labelRight = 0;

private:
    void drawPicture(CDC &dc, const DrawContext &context, const CDataRecord &record, RECT area);
    void drawObject(CDC &dc, const DrawContext &context, const CDataRecord &record, RECT area);
};

} // namespace orvel
