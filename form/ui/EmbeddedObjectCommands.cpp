#include "form/ui/EmbeddedObjectCommands.h"

#include "document/EmbeddedEditing.h"
#include "document/OrvelDoc.h"
#include "form/DrawEdit.h"
#include "form/DrawEditItem.h"
#include "form/DrawItem.h"
#include "form/DrawOleObj.h"
#include "form/FormObjects.h"
#include "form/ObjectProperties.h"
#include "form/OleValue.h"
#include "form/ui/DesignerHost.h"
#include "form/ui/EmbeddedDocPropPage.h"
#include "form/ui/FormDesigner.h"
#include "form/ui/FormView.h"
#include "media/MemoStore.h"
#include "media/ui/InsertObjectDialog.h"
#include "platform/Codepage.h"
#include "platform/Services.h"
#include "platform/ui/CommandRouter.h"
#include "platform/ui/PropertySheet.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FieldType.h"
#include "table/ObjectStore.h"

#include <QBuffer>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace orvel {

namespace {

constexpr int kFormSize = CFormObjects::kFormWidth;
// A document that is no picture shows its name and type in a box this size.
constexpr int kDocumentBoxWidth = 200;
constexpr int kDocumentBoxHeight = 100;
// Dropped files are laid out like cards, each this much further.
constexpr int kCascadeStep = 20;

CDrawOleObj *selectedObject(const CFormDesigner &designer)
{
    const auto &selection = designer.GetSelection();
    return selection.size() == 1 ? dynamic_cast<CDrawOleObj *>(selection.front()) : nullptr;
}

bool hasValue(const CFormDesigner &designer, const CDrawEdit &field)
{
    const CDataRecord *record = designer.GetDocument().GetTable().GetRecord(designer.GetHost().CurrentRecord());
    return record != nullptr && !IsNoObjectReference(record->GetRawValue(field.fieldIndex));
}

// Reports why a document could not become an item; true when it did.
bool reportOutcome(EmbedOutcome outcome, const QString &path)
{
    switch (outcome) {
    case EmbedOutcome::Done:
        return true;
    case EmbedOutcome::Missing:
        MessageBoxById(ids::kMsgFileNotFound, MsgIcon::Exclamation, MsgButtons::Ok, {QDir::toNativeSeparators(path)});
        return false;
    case EmbedOutcome::Unreadable:
        MessageBoxById(ids::kMsgCannotOpen, MsgIcon::Exclamation, MsgButtons::Ok, {QDir::toNativeSeparators(path)});
        return false;
    case EmbedOutcome::TooLarge:
        break;
    }
    MessageBoxById(ids::kMsgObjectNotCreated, MsgIcon::Stop);
    return false;
}

bool fillItem(CEmbeddedItem &item, const InsertObjectChoice &choice)
{
    if (!choice.fromFile) {
        MakeNewEmbeddedItem(item, choice.kind);
        return true;
    }
    WaitCursor wait;
    return reportOutcome(LoadEmbeddedItem(item, choice.path, choice.linked), choice.path);
}

// Where a new object goes and how large it is: a picture at its own size
// (as far as the form reaches), any other document as a box with its name.
RECT placeFor(const CEmbeddedItem &item, POINT at)
{
    int width = kDocumentBoxWidth;
    int height = kDocumentBoxHeight;
    if (const BitmapPtr preview = item.Preview()) {
        width = std::max(1, preview->width());
        height = std::max(1, preview->height());
    }
    const int left = std::clamp<int>(at.x, 0, kFormSize - 1);
    const int top = std::clamp<int>(at.y, 0, kFormSize - 1);
    return RECT{left, top, std::min(kFormSize, left + width), std::min(kFormSize, top + height)};
}

// The natural size in HIMETRIC (0.01 mm) at 96 pixels per inch.
HimetricSize extentOf(const RECT &r)
{
    return HimetricSize{int32_t((r.right - r.left) * 2540 / 96), int32_t((r.bottom - r.top) * 2540 / 96)};
}

CDrawObj *addObject(CFormDesigner &designer, std::unique_ptr<CDrawItem> item, POINT at)
{
    const RECT place = placeFor(*item, at);
    auto object = std::make_unique<CDrawOleObj>(place, designer.CurrentColors());
    object->extent = extentOf(place);
    object->SetClientItem(std::move(item));
    return designer.GetForm().Add(std::move(object));
}

// "OLE-Objekt...": a new object at the default place, a new document
// opened at once in its application.
void insertObject(CFormDesigner &designer)
{
    const auto choice = RunInsertObjectDialog(&designer.GetView());
    CFormDesigner::Tools().currentTool = CFormDesigner::Tool::Select;
    if (!choice)
        return;
    auto item = std::make_unique<CDrawItem>();
    if (!fillItem(*item, *choice))
        return;
    const RECT client = CFormDesigner::kDefaultClientRect;
    CDrawObj *added = addObject(designer, std::move(item), designer.ClientToForm(QPoint(client.left, client.top)));
    designer.Select(added);
    designer.ScrollToObject(added);
    if (!choice->fromFile)
        designer.GetDocument().GetEmbeddedEditing().OpenObject(static_cast<CDrawOleObj &>(*added));
}

// Stores `item` as the value of the field in the current record.
bool storeValue(CFormDesigner &designer, const CDrawEdit &field, const CEmbeddedItem &item)
{
    COrvelDoc &doc = designer.GetDocument();
    CDataTable &table = doc.GetTable();
    const int record = designer.GetHost().CurrentRecord();
    const int pos = field.fieldIndex;
    const CDataRecord *entry = table.GetRecord(record);
    if (entry == nullptr)
        return false;
    const AnsiString old(entry->GetRawValue(pos));
    // The old object is overwritten only when no other value holds it.
    const bool shared = IsObjectShared(table, old, record, pos) || doc.GetRecorder().KeepsOldObjects();
    const AnsiString stored = WriteOleValue(doc.GetWorkingStorePath(), shared ? AnsiView() : AnsiView(old), item);
    if (stored.empty()) {
        MessageBoxById(ids::kMsgOleNotStored, MsgIcon::Exclamation);
        return false;
    }
    doc.SetObjectReference(record, pos, stored);
    for (const auto &object : doc.GetForm().GetObjects()) {
        if (auto *shown = dynamic_cast<CDrawEdit *>(object.get()); shown && shown->fieldIndex == pos)
            shown->DiscardValueDisplay();
    }
    doc.UpdateAllViews({Hint::RecordChanged, record, pos});
    return true;
}

// "Neues Objekt einfügen...": a new value for the current record's field.
void insertValue(CFormDesigner &designer)
{
    CDrawEdit *field = SelectedOleField(designer);
    if (field == nullptr)
        return;
    DesignerHost &host = designer.GetHost();
    host.SetCurrentField(field->fieldIndex);
    const int record = host.CurrentRecord();
    CEmbeddedEditing &editing = designer.GetDocument().GetEmbeddedEditing();
    // The value being edited elsewhere would be written over the new one.
    if (editing.IsValueOpen(record, field->fieldIndex) && !editing.EndValue(record, field->fieldIndex))
        return;
    const auto choice = RunInsertObjectDialog(&designer.GetView());
    if (!choice)
        return;
    CDrawEditItem item;
    if (!fillItem(item, *choice) || !storeValue(designer, *field, item))
        return;
    if (!choice->fromFile)
        editing.OpenValue(record, field->fieldIndex);
}

// A double click on an OLE field: its value opens; without one a value is
// inserted.
void openValue(CFormDesigner &designer)
{
    CDrawEdit *field = SelectedOleField(designer);
    if (field == nullptr)
        return;
    designer.GetHost().SetCurrentField(field->fieldIndex);
    if (!hasValue(designer, *field)) {
        insertValue(designer);
        return;
    }
    designer.GetDocument().GetEmbeddedEditing().OpenValue(designer.GetHost().CurrentRecord(), field->fieldIndex);
}

void openSelected(CFormDesigner &designer)
{
    if (CDrawOleObj *object = selectedObject(designer)) {
        designer.GetDocument().GetEmbeddedEditing().OpenObject(*object);
        return;
    }
    if (CDrawEdit *field = SelectedOleField(designer); field && hasValue(designer, *field))
        openValue(designer);
}

bool selectedIsOpen(const CFormDesigner &designer)
{
    const CEmbeddedEditing &editing = designer.GetDocument().GetEmbeddedEditing();
    if (const CDrawOleObj *object = selectedObject(designer))
        return editing.IsObjectOpen(*object);
    if (const CDrawEdit *field = SelectedOleField(designer))
        return editing.IsValueOpen(designer.GetHost().CurrentRecord(), field->fieldIndex);
    return false;
}

void endSelected(CFormDesigner &designer)
{
    CEmbeddedEditing &editing = designer.GetDocument().GetEmbeddedEditing();
    if (CDrawOleObj *object = selectedObject(designer))
        editing.EndObject(*object);
    else if (const CDrawEdit *field = SelectedOleField(designer))
        editing.EndValue(designer.GetHost().CurrentRecord(), field->fieldIndex);
}

// The local files a drag or the clipboard offers.
QStringList offeredFiles(const QMimeData *data)
{
    QStringList files;
    if (data == nullptr || !data->hasUrls())
        return files;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile())
            files << url.toLocalFile();
    }
    return files;
}

} // namespace

CDrawEdit *SelectedOleField(const CFormDesigner &designer)
{
    return designer.SelectedValueField(FT_OLE);
}

void ShowOleValueProperties(CFormDesigner &designer)
{
    CDrawEdit *field = SelectedOleField(designer);
    if (field == nullptr)
        return;
    COrvelDoc &doc = designer.GetDocument();
    const CDataRecord *record = doc.GetTable().GetRecord(designer.GetHost().CurrentRecord());
    bool unreadable = false;
    const std::unique_ptr<CDrawEditItem> item =
            ReadOleValue(doc.GetWorkingStorePath(), record->GetRawValue(field->fieldIndex), &unreadable);
    if (!item) {
        if (unreadable)
            MessageBoxById(ids::kMsgOleValueUnreadable, MsgIcon::Exclamation);
        return;
    }
    PropertySheet sheet(&designer.GetView());
    sheet.AddPage(new EmbeddedDocPropPage(EmbeddedDocumentTextsOf(item.get())));
    sheet.exec();
}

bool CanEmbedMimeData(const QMimeData *data)
{
    return data != nullptr && (!offeredFiles(data).isEmpty() || data->hasImage());
}

bool EmbedMimeData(CFormDesigner &designer, const QMimeData *data, POINT at, bool linked)
{
    std::vector<std::unique_ptr<CDrawItem>> items;
    const QStringList files = offeredFiles(data);
    for (const QString &file : files) {
        QFileInfo info(file);
        if (!linked && info.size() > kLargeEmbeddedFileSize
            && MessageBoxById(ids::kMsgMemoFileLarge, MsgIcon::Question, MsgButtons::YesNo,
                              {QDir::toNativeSeparators(file), MegabytesText(info.size())})
                       != MsgResult::Yes)
            continue;
        auto item = std::make_unique<CDrawItem>();
        WaitCursor wait;
        if (reportOutcome(LoadEmbeddedItem(*item, file, linked), file))
            items.push_back(std::move(item));
    }
    if (files.isEmpty() && data != nullptr && data->hasImage()) {
        // A picture without a file: kept as a PNG picture.
        const QImage image = qvariant_cast<QImage>(data->imageData());
        QByteArray png;
        QBuffer buffer(&png);
        if (!image.isNull() && buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG")) {
            auto item = std::make_unique<CDrawItem>();
            MakeNewEmbeddedItem(*item, NewDocumentKind::Picture);
            item->ReplaceBytes(png);
            items.push_back(std::move(item));
        } else {
            MessageBoxById(ids::kMsgObjectNotCreated, MsgIcon::Stop);
        }
    }
    if (items.empty())
        return false;
    designer.ClearSelection();
    std::vector<CDrawObj *> added;
    for (std::unique_ptr<CDrawItem> &item : items) {
        const int step = int(added.size()) * kCascadeStep;
        added.push_back(addObject(designer, std::move(item), POINT{at.x + step, at.y + step}));
    }
    for (CDrawObj *object : added)
        designer.Select(object, true);
    designer.GetDocument().UpdateAllViews(Hint::FormRepaint);
    return true;
}

void RegisterEmbeddedObjectCommands(CFormDesigner &designer, CommandMap &map)
{
    // The program hands documents to the desktop; tests put in their own
    // "application" first.
    if (!CEmbeddedEditing::DesktopOpener())
        CEmbeddedEditing::DesktopOpener() = [](const QString &path) {
            return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
        };
    CFormDesigner *d = &designer;
    map.On(
            ID_OLE_INSERT_NEW, [d] { insertObject(*d); }, [d](CCmdUI &ui) { ui.Enable(d->IsDesignMode()); });
    const auto oleField = [d](CCmdUI &ui) { ui.Enable(SelectedOleField(*d) != nullptr); };
    map.On(
            ID_FIELD_INSERT_OLE, [d] { insertValue(*d); }, oleField);
    map.On(
            CFormDesigner::kOpenObjectValue, [d] { openValue(*d); }, oleField);
    map.On(
            ID_OLE_VERB_EDIT, [d] { openSelected(*d); },
            [d](CCmdUI &ui) {
                const CDrawOleObj *object = selectedObject(*d);
                const CDrawEdit *field = SelectedOleField(*d);
                ui.Enable((object != nullptr && object->clientItem) || (field != nullptr && hasValue(*d, *field)));
            });
    map.On(
            ID_OLE_VERB_END, [d] { endSelected(*d); }, [d](CCmdUI &ui) { ui.Enable(selectedIsOpen(*d)); });
}

} // namespace orvel
