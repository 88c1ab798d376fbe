#pragma once

class QWidget;

namespace orvel {

class CDrawObj;
class CFormObjects;
class DesignerHost;

// "Eigenschaften" of one form object: builds the sheet of the object's class,
// runs it modal to `parent` and, when the user presses OK, writes its values
// back through `form`'s change operations (each repaints the object and marks
// the form modified). Returns whether the user pressed OK; after Abbrechen the
// object and the host are exactly as they were.
//
// The sheet by class:
// - CDrawText: "Text" (text, word wrap) and "Formatierung" (font, colour,
//   alignment). OK writes text, font, colour, alignment, draw flags and word
//   wrap in one change; the angle is kept. The position stays: a caller that
//   wants the text's size to follow (a new text) fits it afterwards.
// - CDrawPicture: "Allgemeines", read-only (decodes the picture if it has
//   not been drawn yet). OK changes nothing.
// - CDrawOleObj: "Allgemeines" of its document, read-only. OK changes nothing.
// - CDrawEdit (a data field): not handled here; returns false at once
//   without showing anything.
// - any other object (rectangles, rounded rectangles, ellipses, lines,
//   polygons): "Linie" and, where the object can be filled, "Füllung". OK
//   writes outline, width, raised frame and fill through ChangeObject, then
//   SetLineStyle, SetLineColor and (with the fill page) SetFillColor; the
//   line colour (and, with the fill page, the fill colour) becomes the
//   host's current one.
//
// The colour and font dialogs and the messages of the pages go through the
// installed services.
bool EditObjectProperties(QWidget *parent, CFormObjects &form, CDrawObj &object, DesignerHost &host);

} // namespace orvel
