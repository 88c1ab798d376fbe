#pragma once

#include "form/DrawObj.h"

#include <memory>

namespace orvel {

class CDrawEditItem;
class CLead;

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
    // Where the value area starts when the field name is shown.
    int32_t labelRight = 0;
};

} // namespace orvel
