#include "form/DrawPicture.h"

#include "form/FormObjects.h"
#include "platform/Codepage.h"
#include "platform/Services.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "table/PathHelpers.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace orvel {

ORVEL_IMPLEMENT_SERIAL(CDrawPicture, CDrawObj, 0);

namespace {

const FormFileContext *fileContext(const CArchive &ar)
{
    const auto *form = ar.GetDocument<CFormObjects>();
    return form != nullptr ? form->GetFileContext() : nullptr;
}

// The folder paths are relative to, or empty when the archive belongs to no
// database file (paths are then kept as they are).
AnsiString databaseFolder(const FormFileContext *context)
{
    if (context == nullptr || context->databasePath.isEmpty())
        return AnsiString();
    return QStringToAnsi(QFileInfo(context->databasePath).absolutePath());
}

// The private copy keeps the picture's extension, so that decoders that go
// by the name still recognise formats without a signature.
QString copyExtension(const AnsiString &path)
{
    const QString suffix = QFileInfo(AnsiToQString(path)).suffix();
    if (suffix.isEmpty() || suffix.size() > 4)
        return QStringLiteral("TMP");
    for (const QChar c : suffix) {
        if (c.unicode() > 0x7F || !c.isLetterOrNumber())
            return QStringLiteral("TMP");
    }
    return suffix;
}

} // namespace

CDrawPicture::CDrawPicture() = default;

CDrawPicture::CDrawPicture(const RECT &position_, const DrawColors &colors)
    : CDrawObj(position_, colors)
{}

// The private copy goes with the object (TempFile removes it).
CDrawPicture::~CDrawPicture() = default;

QString CDrawPicture::GetPictureFile() const
{
    if (embedded != 0 && !tempPath.isNull())
        return tempPath.path();
    return AnsiToQString(path);
}

bool CDrawPicture::LoadFailed()
{
    if (!loadFailed && viewer.IsLoadPending()) {
        viewer.EnsureLoaded();
        loadFailed = viewer.GetLoadResult() != LeadOk;
    }
    return loadFailed;
}

void CDrawPicture::Draw(CDC &dc, const DrawContext &)
{
    RECT r = GetNormalizedPosition();
    if (LoadFailed()) {
        QString message = LoadQString(ids::kMsgPictureUnreadable);
        message.replace(QStringLiteral("%1"), AnsiToQString(path));
        dc.SetBkMode(TRANSPARENT);
        dc.DrawText(message, r, DT_WORDBREAK | DT_NOPREFIX);
        return;
    }
    viewer.Draw(dc, r);
}

void CDrawPicture::MoveHandleTo(int n, POINT point, unsigned keyFlags)
{
    const float width = viewer.GetBitmapWidth();
    const float height = viewer.GetBitmapHeight();
    const bool corner = n == 1 || n == 3 || n == 5 || n == 7;
    if (keyFlags != (kMouseLeftButton | kMouseShift) || !corner || width <= 0 || height <= 0) {
        CDrawObj::MoveHandleTo(n, point, keyFlags);
        return;
    }
    // Products and quotients in floating point, truncated towards zero.
    const float k = height / width;
    const auto truncate = [](double v) {
        return int32_t(std::clamp(std::trunc(v), double(INT32_MIN), double(INT32_MAX)));
    };
    RECT r = position;
    const double x = point.x;
    const double y = point.y;
    switch (n) {
    case 5: {
        r.right = point.x;
        r.bottom = point.y;
        const double ratio = (y - r.top) / (x - r.left);
        if (k < ratio)
            r.bottom = truncate(r.top + double(k) * (x - r.left));
        else if (k > ratio)
            r.right = truncate(r.left + (double(r.bottom) - r.top) / k);
        break;
    }
    case 3: {
        r.right = point.x;
        r.top = point.y;
        const double ratio = (r.bottom - y) / (x - r.left);
        if (k < ratio)
            r.top = truncate(r.bottom - double(k) * (x - r.left));
        else if (k > ratio)
            r.right = truncate(r.left + (double(r.bottom) - r.top) / k);
        break;
    }
    case 7: {
        r.left = point.x;
        r.bottom = point.y;
        const double ratio = (y - r.top) / (r.right - x);
        if (k < ratio)
            r.bottom = truncate(r.top + double(k) * (r.right - x));
        else if (k > ratio)
            r.left = truncate(r.right - (double(r.bottom) - r.top) / k);
        break;
    }
    default: { // 1
        r.left = point.x;
        r.top = point.y;
        const double ratio = (r.bottom - y) / (r.right - x);
        if (k < ratio)
            r.top = truncate(r.bottom - double(k) * (r.right - x));
        else if (k > ratio)
            r.left = truncate(r.right - (double(r.bottom) - r.top) / k);
        break;
    }
    }
    MoveTo(r);
}

std::unique_ptr<CDrawObj> CDrawPicture::Clone() const
{
    auto clone = std::make_unique<CDrawPicture>(position);
    CopyLookTo(*clone);
    clone->path = path;
    clone->embedded = embedded;
    clone->relativePath = relativePath;
    clone->loadFailed = loadFailed;
    if (embedded != 0 && !tempPath.isNull()) {
        TempFile copy = TempFile::Create(copyExtension(path), QStringLiteral("tmp"));
        if (copy.isNull())
            return nullptr;
        QFile::remove(copy.path());
        if (!QFile::copy(tempPath.path(), copy.path()))
            return nullptr;
        clone->tempPath = std::move(copy);
    }
    // The bitmap is shared; a file still to be decoded is decoded by the
    // copy when it is first drawn.
    auto &source = const_cast<CLead &>(viewer);
    if (source.IsLoadPending())
        clone->viewer.SetFileName(clone->GetPictureFile());
    else
        clone->viewer.SetBitmap(source.GetBitmap());
    return clone;
}

bool CDrawPicture::MakePrivateCopy(const QString &source)
{
    TempFile copy = TempFile::Create(source.isEmpty() ? QStringLiteral("bmp") : copyExtension(QStringToAnsi(source)),
                                     QStringLiteral("tmp"));
    if (copy.isNull())
        return false;
    if (source.isEmpty()) {
        if (viewer.Save(copy.path(), kPictureFormatWindowsBmp, 8) != LeadOk)
            return false;
    } else {
        QFile::remove(copy.path());
        if (!QFile::copy(source, copy.path()))
            return false;
    }
    tempPath = std::move(copy);
    return true;
}

void CDrawPicture::Serialize(CArchive &ar)
{
    CDrawObj::Serialize(ar);
    if (ar.IsStoring())
        storePicture(ar);
    else
        loadPicture(ar);
}

void CDrawPicture::storePicture(CArchive &ar)
{
    const FormFileContext *context = fileContext(ar);
    if (context != nullptr)
        relativePath = context->relativePaths ? 1 : 0;
    ar.WriteU32(embedded);
    ar.WriteU32(relativePath);
    const AnsiString folder = databaseFolder(context);
    if (relativePath != 0 && !path.empty() && !folder.empty())
        ar.WriteString(MakeRelativePath(path, folder));
    else
        ar.WriteString(path);
    if (embedded == 0)
        return;

    // An embedded picture without a private copy has no bytes to give.
    if (tempPath.isNull()) {
        ar.WriteU32(0);
        return;
    }
    QFile source(tempPath.path());
    if (!source.open(QIODevice::ReadOnly) || uint64_t(source.size()) > 0xFFFFFFFFu) {
        ar.WriteU32(0);
        MessageBoxById(ids::kMsgSaveFailed);
        return;
    }
    const auto size = uint64_t(source.size());
    ar.WriteU32(uint32_t(size));
    // A copy that breaks off is filled up to the announced length, so the
    // rest of the form stays readable.
    if (!ar.WriteBytesFrom(source, size))
        MessageBoxById(ids::kMsgSaveFailed);
}

void CDrawPicture::loadPicture(CArchive &ar)
{
    const FormFileContext *context = fileContext(ar);
    embedded = ar.ReadU32();
    relativePath = ar.ReadU32();
    if (context != nullptr)
        relativePath = context->relativePaths ? 1 : 0;
    path = ar.ReadString();
    // A relative path is always taken relative to the database's folder,
    // whatever the option says now: the file may have been written with the
    // option on, and nothing else could make sense of a relative path.
    const AnsiString folder = databaseFolder(context);
    if (!path.empty() && !folder.empty())
        path = MakeAbsolutePath(path, folder);
    loadFailed = false;

    if (embedded == 0) {
        viewer.SetFileName(path.empty() ? QString() : AnsiToQString(path));
        return;
    }

    const uint32_t size = ar.ReadU32();
    ar.EnsureAvailable(size, 1);
    TempFile copy = TempFile::Create(copyExtension(path), QStringLiteral("tmp"));
    bool copied = false;
    if (!copy.isNull()) {
        QFile target(copy.path());
        if (target.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            copied = ar.ReadBytesTo(target, size);
            target.close();
            copied = copied && target.error() == QFileDevice::NoError;
        } else {
            ar.ReadBytes(std::size_t(size));
        }
    } else {
        ar.ReadBytes(std::size_t(size));
    }
    if (!copied) {
        // The picture is lost for this session, the rest of the form is not.
        MessageBoxById(ids::kMsgOpenFailed);
        loadFailed = true;
        viewer.SetFileName(QString());
        return;
    }
    tempPath = std::move(copy);
    viewer.SetFileName(tempPath.path());
}

} // namespace orvel
