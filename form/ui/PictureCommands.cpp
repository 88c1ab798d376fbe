#include "form/ui/PictureCommands.h"

#include "document/OrvelDoc.h"
#include "form/DrawEdit.h"
#include "form/DrawPicture.h"
#include "form/FormObjects.h"
#include "form/ui/DesignerHost.h"
#include "form/ui/FormDesigner.h"
#include "form/ui/FormView.h"
#include "media/Lead.h"
#include "media/MemoStore.h"
#include "media/ui/InsertPictureDialog.h"
#include "media/ui/NewSizeDialog.h"
#include "platform/Codepage.h"
#include "platform/Services.h"
#include "platform/TempFile.h"
#include "platform/ui/CommandRouter.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "table/DataRecord.h"
#include "table/DataTable.h"
#include "table/FieldType.h"
#include "table/ObjectStore.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace orvel {

namespace {

constexpr int kFormSize = CFormObjects::kFormWidth;

CDrawPicture *selectedPicture(const CFormDesigner &designer)
{
    const auto &selection = designer.GetSelection();
    return selection.size() == 1 ? dynamic_cast<CDrawPicture *>(selection.front()) : nullptr;
}

CDrawEdit *selectedPictureField(const CFormDesigner &designer)
{
    const auto &selection = designer.GetSelection();
    if (selection.size() != 1)
        return nullptr;
    auto *field = dynamic_cast<CDrawEdit *>(selection.front());
    const CDataTable &table = designer.GetDocument().GetTable();
    if (field == nullptr || field->GetFieldType(&table) != FT_PICTURE || table.GetRecordCount() == 0)
        return nullptr;
    return field;
}

// The picture dialog with the frame's remembered filter.
std::optional<InsertPictureResult> runDialog(CFormDesigner &designer, CLead &receiver, const QString &name,
                                             bool embedded, InsertPictureTarget target)
{
    DesignerHost &host = designer.GetHost();
    int filterIndex = host.PictureFilterIndex();
    auto result = RunInsertPictureDialog(&designer.GetView(), receiver, name, embedded, target, &filterIndex);
    host.SetPictureFilterIndex(filterIndex);
    return result;
}

void reportNotSaved(const QString &path)
{
    MessageBoxById(ids::kMsgPictureNotSaved, MsgIcon::Exclamation, MsgButtons::Ok, {path});
}

// "Grafik": a picture object at the default place, through the dialog.
void insertPicture(CFormDesigner &designer)
{
    designer.SetTool(CFormDesigner::Tool::Picture);
    const RECT client = CFormDesigner::kDefaultClientRect;
    const POINT from = designer.ClientToForm(QPoint(client.left, client.top));
    const POINT to = designer.ClientToForm(QPoint(client.right, client.bottom));
    auto picture = std::make_unique<CDrawPicture>(RECT{from.x, from.y, to.x, to.y}, designer.CurrentColors());
    const auto result = runDialog(designer, picture->viewer, QString(), false, InsertPictureTarget::PictureObject);
    CFormDesigner::Tools().currentTool = CFormDesigner::Tool::Select;
    if (!result)
        return;
    const bool scanned = result->fileName == QStringView(kScannedPictureName);
    picture->loadFailed = result->loadFailed;
    picture->embedded = result->embedded ? 1 : 0;
    picture->path = QStringToAnsi(result->fileName);
    if (picture->embedded != 0 && !picture->MakePrivateCopy(scanned ? QString() : result->fileName)) {
        // Without its own copy an embedded picture would be lost at the
        // next save.
        reportNotSaved(result->fileName);
        return;
    }
    if (!picture->loadFailed) {
        // The picture's own size, as far as the form reaches.
        RECT &r = picture->position;
        r.right = int32_t(std::min<int64_t>(int64_t(r.left) + int64_t(picture->viewer.GetBitmapWidth()), kFormSize));
        r.bottom = int32_t(std::min<int64_t>(int64_t(r.top) + int64_t(picture->viewer.GetBitmapHeight()), kFormSize));
    }
    CDrawObj *added = designer.GetForm().Add(std::move(picture));
    designer.Select(added);
    designer.ScrollToObject(added);
}

void resizePicture(CFormDesigner &designer)
{
    CDrawPicture *picture = selectedPicture(designer);
    if (picture == nullptr)
        return;
    const RECT r = picture->GetNormalizedPosition();
    const auto size = RunNewSizeDialog(&designer.GetView(), r.right - r.left, r.bottom - r.top);
    if (!size)
        return;
    designer.GetForm().MoveObject(picture, RECT{r.left, r.top, r.left + size->width(), r.top + size->height()});
}

bool atNaturalSize(CDrawPicture &picture)
{
    if (picture.LoadFailed())
        return false;
    const RECT r = picture.GetNormalizedPosition();
    return r.right - r.left == int(picture.viewer.GetBitmapWidth())
           && r.bottom - r.top == int(picture.viewer.GetBitmapHeight());
}

void naturalSize(CFormDesigner &designer)
{
    CDrawPicture *picture = selectedPicture(designer);
    if (picture == nullptr || picture->LoadFailed())
        return;
    const RECT r = picture->GetNormalizedPosition();
    designer.GetForm().MoveObject(picture, RECT{r.left, r.top, r.left + int(picture->viewer.GetBitmapWidth()),
                                                r.top + int(picture->viewer.GetBitmapHeight())});
}

// The proposal of "Speichern unter": the picture's path with the file
// name's extension replaced by ".bmp" (a full stop in a folder name does not
// count); nothing without a path.
QString bitmapProposal(const AnsiString &path)
{
    if (path.empty())
        return QString();
    const QString name = AnsiToQString(path);
    const QFileInfo info(name);
    const QString folder = name.left(name.size() - info.fileName().size());
    return folder + info.completeBaseName() + QStringLiteral(".bmp");
}

void savePictureAs(CFormDesigner &designer)
{
    CDrawPicture *picture = selectedPicture(designer);
    if (picture == nullptr || picture->LoadFailed())
        return;
    int filterIndex = 1;
    const QString target =
            services().getSaveFileName(QStringLiteral("Speichern unter"), bitmapProposal(picture->path),
                                       LoadQString(ids::kFilterBitmaps), &filterIndex, QStringLiteral("bmp"));
    if (target.isEmpty())
        return;
    WaitCursor wait;
    if (picture->viewer.Save(target, kPictureFormatWindowsBmp, 8) != LeadOk)
        reportNotSaved(target);
}

// "Neue Grafik...": the picture of the current record's picture field.
void changeFieldPicture(CFormDesigner &designer)
{
    CDrawEdit *field = selectedPictureField(designer);
    if (field == nullptr)
        return;
    COrvelDoc &doc = designer.GetDocument();
    DesignerHost &host = designer.GetHost();
    const int record = host.CurrentRecord();
    CDataRecord *entry = doc.GetTable().GetRecord(record);
    if (entry == nullptr)
        return;
    host.SetCurrentField(field->fieldIndex);
    const AnsiString old(entry->GetRawValue(field->fieldIndex));
    const bool embedded = field->embedded != 0;

    // An embedded picture is shown from a private copy of the stored one.
    TempFile stored;
    QString oldName = AnsiToQString(old);
    if (embedded) {
        oldName.clear();
        if (!IsNoObjectReference(old)) {
            stored.reset(ReadObject(doc.GetWorkingStorePath(), old));
            oldName = stored.path();
        }
    }
    if (!field->viewer)
        field->viewer = std::make_unique<CLead>();
    const auto result = runDialog(designer, *field->viewer, oldName, embedded, InsertPictureTarget::PictureField);
    // Names are compared as they are: Linux names are case sensitive.
    if (!result || result->fileName == oldName)
        return;

    AnsiString value;
    if (result->embedded) {
        const bool scanned = result->fileName == QStringView(kScannedPictureName);
        TempFile copy = TempFile::Create(QStringLiteral("TMP"), QStringLiteral("tmp"));
        bool copied = !copy.isNull();
        if (copied && scanned) {
            copied = field->viewer->Save(copy.path(), kPictureFormatWindowsBmp, 8) == LeadOk;
        } else if (copied) {
            QFile::remove(copy.path());
            copied = QFile::copy(result->fileName, copy.path());
        }
        // The store takes the file over (and removes it). The new picture
        // takes the old one's place only when it is this value's alone: a
        // record copied from this one holds the same reference, and an undo
        // step may still need the old picture.
        const bool inPlace = embedded && !IsObjectShared(doc.GetTable(), old, record, field->fieldIndex)
                             && !doc.GetRecorder().KeepsOldObjects();
        value = copied ? WriteObject(copy.release(), inPlace ? AnsiView(old) : AnsiView(), doc.GetWorkingStorePath())
                       : AnsiString();
        if (value.empty()) {
            reportNotSaved(result->fileName);
            return;
        }
    } else {
        value = QStringToAnsi(result->fileName);
    }
    // A picture rewritten in place keeps its reference, yet the record and
    // the document have changed.
    const bool changed = result->embedded ? doc.SetObjectReference(record, field->fieldIndex, value)
                                          : doc.SetFieldText(record, field->fieldIndex, value);
    if (changed)
        doc.UpdateAllViews({Hint::RecordChanged, record, field->fieldIndex});
}

} // namespace

void RegisterPictureCommands(CFormDesigner &designer, CommandMap &map)
{
    CFormDesigner *d = &designer;
    map.On(
            ID_TOOL_PICTURE, [d] { insertPicture(*d); },
            [d](CCmdUI &ui) {
                ui.Enable(d->IsDesignMode());
                ui.SetCheck(d->IsDesignMode() && CFormDesigner::Tools().currentTool == CFormDesigner::Tool::Picture);
            });
    const auto onePicture = [d](CCmdUI &ui) { ui.Enable(d->IsDesignMode() && selectedPicture(*d) != nullptr); };
    map.On(
            ID_PICTURE_RESIZE, [d] { resizePicture(*d); }, onePicture);
    map.On(
            ID_PICTURE_NATURAL_SIZE, [d] { naturalSize(*d); },
            [d](CCmdUI &ui) {
                CDrawPicture *picture = d->IsDesignMode() ? selectedPicture(*d) : nullptr;
                // Checked, and so without anything to do, at the natural size.
                const bool natural = picture != nullptr && atNaturalSize(*picture);
                ui.Enable(picture != nullptr && !natural && !picture->LoadFailed());
                ui.SetCheck(natural);
            });
    map.On(
            ID_PICTURE_SAVE_AS, [d] { savePictureAs(*d); },
            [d](CCmdUI &ui) {
                CDrawPicture *picture = selectedPicture(*d);
                ui.Enable(picture != nullptr && !picture->LoadFailed());
            });
    const auto onePictureField = [d](CCmdUI &ui) {
        ui.Enable(!d->IsDesignMode() && selectedPictureField(*d) != nullptr);
    };
    map.On(
            ID_FIELD_NEW_PICTURE, [d] { changeFieldPicture(*d); }, onePictureField);
    map.On(
            CFormDesigner::kChangePicture, [d] { changeFieldPicture(*d); }, onePictureField);
}

} // namespace orvel
