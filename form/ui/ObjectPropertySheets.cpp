#include "form/ui/ObjectPropertySheets.h"

#include "form/DrawEdit.h"
#include "form/DrawItem.h"
#include "form/DrawOleObj.h"
#include "form/DrawPicture.h"
#include "form/DrawText.h"
#include "form/FormObjects.h"
#include "form/ObjectProperties.h"
#include "form/ui/CPicturePropDlg.h"
#include "form/ui/CTextPropGenDlg.h"
#include "form/ui/CTextPropTextDlg.h"
#include "form/ui/DesignerHost.h"
#include "form/ui/EmbeddedDocPropPage.h"
#include "form/ui/FillPropPage.h"
#include "form/ui/LinePropPage.h"
#include "platform/ui/PropertySheet.h"

#include <QDialog>

namespace orvel {
namespace {

bool EditText(QWidget *parent, CFormObjects &form, CDrawText &text)
{
    const TextValues values = TextValuesOf(text);
    PropertySheet sheet(parent);
    auto *textPage = new CTextPropTextDlg(values.text, values.wordWrap, values.angle);
    auto *formatPage = new CTextPropGenDlg(TextFormat{values.font, values.color, values.alignment});
    sheet.AddPage(textPage);
    sheet.AddPage(formatPage);
    if (sheet.exec() != QDialog::Accepted)
        return false;
    TextValues edited = values;
    edited.text = textPage->Text();
    edited.wordWrap = textPage->WordWrap();
    edited.angle = textPage->Angle();
    const TextFormat format = formatPage->Value();
    edited.font = format.font;
    edited.color = format.color;
    edited.alignment = format.alignment;
    ApplyTextValues(form, text, edited);
    return true;
}

bool EditDrawing(QWidget *parent, CFormObjects &form, CDrawObj &object, DesignerHost &host)
{
    const LineFillValues values = LineFillValuesOf(object);
    const bool withFill = object.IsFillApplicable();
    PropertySheet sheet(parent);
    auto *linePage = new LinePropPage(values, object.Supports3DFrame());
    sheet.AddPage(linePage);
    FillPropPage *fillPage = nullptr;
    if (withFill) {
        fillPage = new FillPropPage(values.fill, values.fillColor);
        sheet.AddPage(fillPage);
    }
    if (sheet.exec() != QDialog::Accepted)
        return false;
    LineFillValues edited = linePage->Value();
    if (fillPage != nullptr) {
        edited.fill = fillPage->Fill();
        edited.fillColor = fillPage->Color();
    }
    ApplyLineFillValues(form, object, edited, withFill);
    host.SetCurrentLineColor(edited.lineColor);
    if (withFill)
        host.SetCurrentFillColor(edited.fillColor);
    return true;
}

bool ShowReadOnly(QWidget *parent, PropertyPage *page)
{
    PropertySheet sheet(parent);
    sheet.AddPage(page);
    return sheet.exec() == QDialog::Accepted;
}

} // namespace

bool EditObjectProperties(QWidget *parent, CFormObjects &form, CDrawObj &object, DesignerHost &host)
{
    if (dynamic_cast<CDrawEdit *>(&object) != nullptr)
        return false;
    if (auto *text = dynamic_cast<CDrawText *>(&object))
        return EditText(parent, form, *text);
    if (auto *picture = dynamic_cast<CDrawPicture *>(&object))
        return ShowReadOnly(parent, new CPicturePropDlg(PicturePageTextsOf(PictureInfoOf(*picture))));
    if (auto *embedded = dynamic_cast<CDrawOleObj *>(&object))
        return ShowReadOnly(parent, new EmbeddedDocPropPage(EmbeddedDocumentTextsOf(embedded->clientItem.get())));
    return EditDrawing(parent, form, object, host);
}

} // namespace orvel
