#include "document/OrvelDoc.h"

#include "form/DrawEdit.h"

#include "document/AtomicSave.h"
#include "document/DatabaseReader.h"
#include "document/EmbeddedEditing.h"
#include "document/FileErrors.h"
#include "document/FileFormats.h"
#include "document/SaveProposal.h"
#include "resources/StringIds.h"
#include "resources/StringTable.h"
#include "table/FieldType.h"
#include "table/ObjectStore.h"
#include "table/RecordStream.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvel {

namespace {

using dbfile::ReadOutcome;

std::function<void(const QString &)> &recentFileHook()
{
    static std::function<void(const QString &)> hook;
    return hook;
}

QString nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// The framework's failure text with the reason added: the format is known
// but cannot be read or written yet.
void reportUnsupported(const FileFormat &format, int failureId)
{
    const QString text =
            LoadQString(failureId)
            + QStringLiteral("\n\nDas Dateiformat %1 wird noch nicht unterstützt.").arg(format.displayName);
    MessageBoxText(failureId, text, MsgIcon::Exclamation);
}

// Opens a file for reading without blocking on anything that is not a
// plain file (a named pipe would wait for a writer forever). -1 with errno
// set on failure.
int openForReading(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    struct stat st
    {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = S_ISDIR(st.st_mode) ? EISDIR : ENXIO;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

void applySdfDelimiters(COrvelDoc &doc, const DocumentOptions &options, bool overridden)
{
    if (!overridden)
        DocumentOptions::EnsureSdfDelimiterSettings();
    doc.GetTable().SetSdfDelimiters(char(options.sdfFieldDelimiter), char(options.sdfDataDelimiter));
}

} // namespace

// Creates the document's progress window for one operation unless one is
// running already, and ends only a window it created.
class ProgressScope
{
public:
    ProgressScope(COrvelDoc &doc, int captionId)
        : m_doc(doc)
    {
        m_box = doc.beginProgress(captionId, m_created);
    }
    ~ProgressScope()
    {
        if (m_created)
            m_doc.EndProgress();
    }
    ProgressScope(const ProgressScope &) = delete;
    ProgressScope &operator=(const ProgressScope &) = delete;

    ProgressBox *box() const { return m_box; }

private:
    COrvelDoc &m_doc;
    ProgressBox *m_box = nullptr;
    bool m_created = false;
};

COrvelDoc::COrvelDoc()
    : m_title(QStringLiteral("Unbenannt"))
    , m_recorder(std::make_unique<CDocumentRecorder>(m_table, m_form, &m_page))
    , m_editing(std::make_unique<CEmbeddedEditing>(*this))
{
    m_form.SetModifiedHook([this] { SetModifiedFlag(true); });
    // The views repaint what the form changes and forget what leaves it.
    m_form.SetInvalidateHook([this](const CDrawObj *object) { UpdateAllViews(UpdateHint::ForObject(object)); });
    m_form.SetRemovedHook([this](CDrawObj *object) {
        m_editing->ObjectRemoved(object);
        const std::vector<CDrawObj *> leaving{object};
        UpdateAllViews(UpdateHint::ForObjects(Hint::ObjectsRemoved, &leaving));
    });
}

COrvelDoc::~COrvelDoc()
{
    // The form outlives this body by a moment; it must not call back.
    m_form.SetModifiedHook({});
    m_form.SetRemovedHook({});
    m_form.SetInvalidateHook({});
}

void COrvelDoc::SetPathName(const QString &path)
{
    if (path.isEmpty()) {
        m_path.clear();
        return;
    }
    const QFileInfo info(path);
    m_path = info.absoluteFilePath();
    m_title = info.fileName();
    if (recentFileHook())
        recentFileHook()(m_path);
}

int COrvelDoc::AddHintListener(HintListener listener)
{
    const int handle = m_nextListener++;
    m_listeners.emplace_back(handle, std::move(listener));
    return handle;
}

void COrvelDoc::RemoveHintListener(int handle)
{
    m_listeners.erase(std::remove_if(m_listeners.begin(), m_listeners.end(),
                                     [handle](const auto &entry) { return entry.first == handle; }),
                      m_listeners.end());
}

void COrvelDoc::UpdateAllViews(const UpdateHint &hint)
{
    // A view may come or go while it handles the hint.
    const auto listeners = m_listeners;
    for (const auto &entry : listeners) {
        if (entry.second)
            entry.second(hint);
    }
}

DocumentOptions COrvelDoc::GetOptions() const
{
    return m_overrides.ApplyTo(DocumentOptions::FromSettings());
}

void COrvelDoc::SetBackgroundColor(COLORREF color)
{
    m_form.SetBackground(color);
    SetModifiedFlag(true);
    UpdateAllViews(Hint::FormRepaint);
}

bool COrvelDoc::SetPageSettings(const PageSettings &settings)
{
    if (settings == m_page)
        return false;
    m_page = settings;
    SetModifiedFlag(true);
    return true;
}

std::vector<int> COrvelDoc::GetPrintFlags() const
{
    std::vector<int> flags;
    for (int pos = 0; pos < m_table.GetFieldCount(); ++pos)
        flags.push_back(m_table.GetPrintFlag(pos));
    return flags;
}

bool COrvelDoc::SetPrintFlags(const std::vector<int> &flags)
{
    bool changed = false;
    const int count = std::min(int(flags.size()), m_table.GetFieldCount());
    for (int pos = 0; pos < count; ++pos) {
        const int flag = flags[std::size_t(pos)] != 0 ? 1 : 0;
        if (m_table.GetPrintFlag(pos) != flag) {
            m_table.SetPrintFlag(flag, pos);
            changed = true;
        }
    }
    if (changed)
        SetModifiedFlag(true);
    return changed;
}

void COrvelDoc::TakeRecordStream(std::unique_ptr<RecordStream> stream)
{
    m_recordStream = std::move(stream);
}

void COrvelDoc::DeleteContents()
{
    m_partlyLoaded = false;
    m_recordStream.reset();
    m_recordsStreamed = false;
    m_keptRecords.reset();
    m_editing->EndAll();
    m_table.Clear();
    m_form.Clear();
    m_page = PageSettings();
    m_store.Clear();
}

void COrvelDoc::SetRecentFileHook(std::function<void(const QString &)> hook)
{
    recentFileHook() = std::move(hook);
}

bool COrvelDoc::IsFileWritable(const QString &path) const
{
    return QFileInfo(path).isWritable();
}

bool COrvelDoc::IsFileReadable(const QString &path) const
{
    return QFileInfo(path).isReadable();
}

ProgressBox *COrvelDoc::beginProgress(int captionId, bool &created)
{
    created = !m_progress;
    if (created)
        m_progress = services().beginProgress(captionId, 0, 0);
    else
        m_progress->setCaption(captionId);
    return m_progress.get();
}

void COrvelDoc::clearModified()
{
    SetModifiedFlag(false);
    m_table.SetModified(false);
    m_form.SetModified(false);
    m_recorder->Saved();
}

bool COrvelDoc::CheckWorkingStoreSpace() const
{
    return orvel::CheckWorkingStoreSpace(m_store.path());
}

void COrvelDoc::CreateDefaultForm()
{
    m_form.CreateDefaultForm(m_table.GetFieldCount(), kGeneratedFormLineHeight);
}

// --- Reading ---

ReadOutcome COrvelDoc::ReadDatabase(QIODevice &file, const QString &path)
{
    ProgressScope progress(*this, ids::kCaptionReading);
    const FormFileContext context{path, GetOptions().relativePaths};
    DatabaseReadResult result = ReadDatabaseFile(file, context, {m_table, m_form, m_page}, progress.box(),
                                                 kDatabaseReadWindow, 0, m_readSelection);
    if (result.outcome != ReadOutcome::Complete)
        return result.outcome;
    m_partlyLoaded = m_readSelection.fields != ~std::uint32_t(0) || m_readSelection.filter;
    if (m_readSelection.filter)
        m_keptRecords = std::move(result.keptRecords);
    m_fileFormat = QStringLiteral("ovd");
    m_fileVersion = result.storedVersion;

    if (!path.isEmpty()) {
        if (progress.box())
            progress.box()->setCaption(ids::kCaptionCopyingObjects);
        const QString objectFile = ObjectFilePathFor(path);
        if (!m_store.LoadFrom(objectFile)) {
            // Going on without the objects would let the next save replace
            // the object file with an empty one.
            MessageBoxById(ids::kMsgFileReadError, MsgIcon::Exclamation, MsgButtons::Ok, {nativePath(objectFile)});
            return ReadOutcome::Failed;
        }
    }
    if (result.needsDefaultForm)
        CreateDefaultForm();
    if (result.newerVersion)
        MessageBoxById(ids::kMsgNewerVersion, MsgIcon::Exclamation);
    return ReadOutcome::Complete;
}

bool COrvelDoc::Open(const QString &path, bool asCopy)
{
    WaitCursor wait;
    const FileFormat *format = FileFormats::Find(path);
    if (format && !format->opens)
        format = nullptr;

    // The document is empty before anything is read into it.
    DeleteContents();

    if (!format) {
        const int fd = openForReading(path);
        QFile file;
        if (fd < 0 || !file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
            const int error = fd < 0 ? errno : EIO;
            if (fd >= 0)
                ::close(fd);
            ReportFileError(error == ENXIO ? EISDIR : error, path, FileOperation::Read);
            return false;
        }
        ProgressScope progress(*this, ids::kCaptionReading);
        const ReadOutcome outcome = ReadDatabase(file, path);
        file.close();
        if (outcome != ReadOutcome::Complete) {
            DeleteContents();
            EndProgress();
            if (outcome == ReadOutcome::Version1)
                MessageBoxById(ids::kMsgVersion1File, MsgIcon::Stop, MsgButtons::Ok, {nativePath(path)});
            else
                MessageBoxById(ids::kMsgOpenFailed, MsgIcon::Exclamation);
            return false;
        }
    } else {
        if (!format->read) {
            reportUnsupported(*format, ids::kMsgOpenFailed);
            return false;
        }
        QFile file(path);
        errno = 0;
        if (!file.open(QIODevice::ReadOnly)) {
            ReportFileError(errno, path, FileOperation::Read);
            return false;
        }
        ProgressScope progress(*this, ids::kCaptionReading);
        if (format->usesSdfDelimiters) {
            file.close();
            applySdfDelimiters(*this, GetOptions(), m_overrides.sdfFieldDelimiter || m_overrides.sdfDataDelimiter);
        }
        m_readFailureReported = false;
        if (!format->read(*this, file, path)) {
            DeleteContents();
            EndProgress();
            if (!m_readFailureReported)
                MessageBoxById(ids::kMsgReadError, MsgIcon::Exclamation);
            return false;
        }
        CreateDefaultForm();
        m_fileFormat = format->extension;
        m_fileVersion = 0;
    }
    EndProgress();

    if (!asCopy) {
        SetPathName(path);
        FileLock lock;
        if (lock.acquire(m_path))
            m_lock = std::move(lock);
    }
    clearModified();
    return true;
}

// --- Writing ---

bool COrvelDoc::WriteDatabase(QIODevice &file, const DatabaseWriteTarget &target, bool reorganize,
                              DatabaseWriteResult *result)
{
    DatabaseWriteResult local;
    DatabaseWriteResult &out = result ? *result : local;
    out = DatabaseWriteResult();
    if (!CheckWorkingStoreSpace())
        return false;
    ProgressScope progress(*this, ids::kCaptionSavingForm);
    const DatabaseWriteSource source{
            m_table, m_form, m_page, m_store, GetOptions().relativePaths, m_recordStream.get()};
    return WriteDatabaseFile(file, source, target, reorganize, progress.box(), out);
}

bool COrvelDoc::Save(const QString &path, int format, bool reorganize)
{
    return saveTo(path, format, reorganize, true);
}

bool COrvelDoc::saveTo(const QString &path, int format, bool reorganize, bool takePath)
{
    // Values were left out when it was read, or the records are in another
    // file already (or, streamed, go into a database file only).
    if (m_partlyLoaded || m_recordsStreamed || (m_recordStream && FileFormats::Find(path)))
        return false;
    WaitCursor wait;
    UpdateAllViews(Hint::CommitEdit);
    if (format == 0)
        format = m_lastSaveFormat;
    const FileFormat *fileFormat = FileFormats::Find(path);

    // The lock on the document's own file stays held throughout: the new
    // file replaces the old one by a rename, which the lock does not hinder,
    // and a failed save leaves the document locked as before.
    if (FileLock::IsHeldByAnother(path, &m_lock)) {
        MessageBoxById(ids::kMsgFileInUseHere, MsgIcon::Exclamation, MsgButtons::Ok, {nativePath(path)});
        return false;
    }
    // The rename would replace a write-protected file without asking.
    if (QFileInfo::exists(path) && !IsFileWritable(path)) {
        MessageBoxById(ids::kMsgReadOnlyFile, MsgIcon::Exclamation, MsgButtons::Ok, {nativePath(path)});
        return false;
    }
    if (fileFormat && !fileFormat->write) {
        reportUnsupported(*fileFormat, ids::kMsgSaveFailed);
        return false;
    }
    if (!fileFormat && !CheckWorkingStoreSpace()) {
        MessageBoxById(ids::kMsgSaveFailed, MsgIcon::Exclamation);
        return false;
    }

    CAtomicSave save(path);
    if (!save.Begin() || (!fileFormat && !save.AddCompanion(ObjectFilePathFor(path)))) {
        ReportFileError(save.Error(), save.ErrorPath(), FileOperation::Write);
        return false;
    }

    bool written = false;
    int writeError = 0;
    DatabaseWriteResult result;
    auto companion = CAtomicSave::Companion::Keep;
    {
        std::unique_ptr<QIODevice> filtered = m_saveDeviceFilter ? m_saveDeviceFilter(save.File()) : nullptr;
        QIODevice &out = filtered ? *filtered : save.File();
        if (fileFormat) {
            if (fileFormat->usesSdfDelimiters)
                applySdfDelimiters(*this, GetOptions(), m_overrides.sdfFieldDelimiter || m_overrides.sdfDataDelimiter);
            written = fileFormat->write(*this, out, path);
        } else {
            m_lastSaveFormat = format;
            written = WriteDatabase(out, DatabaseWriteTarget{path, save.CompanionTempPath()}, reorganize, &result);
            writeError = result.writeError;
            if (m_recordStream) {
                m_recordStream.reset();
                m_recordsStreamed = true;
            }
            switch (result.objectFile) {
            case DatabaseWriteResult::ObjectFile::Untouched:
                companion = CAtomicSave::Companion::Keep;
                break;
            case DatabaseWriteResult::ObjectFile::Written:
                companion = CAtomicSave::Companion::Replace;
                break;
            case DatabaseWriteResult::ObjectFile::Absent:
                companion = CAtomicSave::Companion::Remove;
                break;
            }
        }
    }
    if (!written) {
        if (writeError != 0)
            ReportFileError(writeError, path, FileOperation::Write);
        else if (result.recordsFailed)
            MessageBoxById(ids::kMsgReadError, MsgIcon::Exclamation);
        else
            MessageBoxById(ids::kMsgSaveFailed, MsgIcon::Exclamation);
        return false;
    }
    if (!save.Commit(companion)) {
        ReportFileError(save.Error(), save.ErrorPath(),
                        save.ErrorWasRename() ? FileOperation::Rename : FileOperation::Write);
        return false;
    }
    if (result.objectsFailed)
        ReportObjectsNotWritten();

    const bool isExport = fileFormat && fileFormat->isExport;
    if (takePath && !isExport) {
        clearModified();
        FileLock lock;
        if (lock.acquire(QFileInfo(path).absoluteFilePath()))
            m_lock = std::move(lock);
    }
    // A repaint (a dBASE save renames fields); the views keep their current
    // cell, so typing goes on where it was.
    UpdateAllViews(Hint::Repaint);
    return true;
}

bool COrvelDoc::DoSave(const QString &path, bool replace, int *saveAsFilter)
{
    if (!path.isEmpty()) {
        ProgressScope progress(*this, ids::kCaptionSavingForm);
        return saveTo(path, 0, false, replace);
    }

    const QString proposed = ProposeSaveName(m_path, m_title);
    int filterIndex = saveAsFilter ? *saveAsFilter : 1;
    QString chosen =
            services().getSaveFileName(QStringLiteral("Speichern unter"), proposed, LoadQString(ids::kFilterSave),
                                       &filterIndex, LoadQString(ids::kDefaultExtension));
    if (chosen.isEmpty())
        return false;
    // The dialog gives the name its extension before it asks about an
    // existing file. A dialog that did not must not let the completed name
    // replace a file without the question.
    if (QFileInfo(chosen).suffix().isEmpty()) {
        chosen += QLatin1Char('.') + LoadQString(ids::kDefaultExtension);
        if (QFileInfo::exists(chosen)
            && MessageBoxById(ids::kMsgReplaceFile, MsgIcon::Exclamation, MsgButtons::YesNo, {nativePath(chosen)})
                       != MsgResult::Yes)
            return false;
    }
    if (saveAsFilter)
        *saveAsFilter = filterIndex;

    ProgressScope progress(*this, ids::kCaptionSavingForm);
    // A failed save removes only its own temporary files: a file that stood
    // at the chosen path before stays.
    if (!Save(chosen, filterIndex, true))
        return false;
    const FileFormat *format = FileFormats::Find(chosen);
    if (!(format && format->isExport))
        SetPathName(chosen);
    return true;
}

bool COrvelDoc::SaveModified(int *saveAsFilter)
{
    // Changes saved in an application are taken over before the question
    // whether to save them.
    if (!m_editing->ConfirmClose())
        return false;
    if (!IsModified())
        return true;
    const QString name = m_path.isEmpty() ? QStringLiteral("Unbenannt") : nativePath(m_path);
    switch (MessageBoxById(ids::kMsgAskToSave, MsgIcon::Question, MsgButtons::YesNoCancel, {name})) {
    case MsgResult::Yes: {
        const bool saved = DoSave(m_path, true, saveAsFilter);
        EndProgress();
        return saved;
    }
    case MsgResult::No:
        return true;
    default:
        return false;
    }
}

bool COrvelDoc::OnFileSave(int *saveAsFilter)
{
    const bool usable =
            !m_path.isEmpty() && QFileInfo::exists(m_path) && IsFileReadable(m_path) && IsFileWritable(m_path);
    const bool saved = usable ? DoSave(m_path) : DoSave(QString(), true, saveAsFilter);
    EndProgress();
    return saved;
}

bool COrvelDoc::OnFileSaveAs(int *saveAsFilter)
{
    const bool saved = DoSave(QString(), true, saveAsFilter);
    EndProgress();
    return saved;
}

void COrvelDoc::OnCloseDocument()
{
    m_editing->EndAll();
    UpdateAllViews(Hint::Closing);
}

bool COrvelDoc::SetFieldText(int record, int field, AnsiView text)
{
    CDataRecord *entry = m_table.GetRecord(record);
    if (entry == nullptr || field < 0 || field >= m_table.GetFieldCount())
        return false;
    // Numbers and dates are compared in the form they are shown and typed
    // in, so that opening and closing an edit never rewrites them.
    AnsiString shown;
    const AnsiView current = ShowsDisplayValue(m_table.GetFieldType(field)) ? entry->GetDisplayValue(field, shown)
                                                                            : entry->GetRawValue(field);
    if (text == current)
        return false;
    entry->SetValue(text, field);
    SetModifiedFlag();
    return true;
}

bool COrvelDoc::SetObjectReference(int record, int field, AnsiView reference)
{
    CDataRecord *entry = m_table.GetRecord(record);
    if (entry == nullptr || field < 0 || field >= m_table.GetFieldCount())
        return false;
    entry->SetValue(reference, field);
    m_table.SetModified(true);
    SetModifiedFlag();
    return true;
}

FieldValueState COrvelDoc::GetFieldValueState(int record, int field) const
{
    const CDataRecord *entry = m_table.GetRecord(record);
    if (entry == nullptr || field < 0 || field >= m_table.GetFieldCount())
        return {};
    return {AnsiString(entry->GetRawValue(field)), entry->GetModificationTime(), m_modified, m_table.IsModified()};
}

bool COrvelDoc::RestoreFieldValue(int record, int field, const FieldValueState &state)
{
    CDataRecord *entry = m_table.GetRecord(record);
    if (entry == nullptr || field < 0 || field >= m_table.GetFieldCount())
        return false;
    const bool changed = entry->GetRawValue(field) != AnsiView(state.value);
    entry->SetRawValue(state.value, field);
    entry->SetModificationTime(state.time);
    m_modified = state.documentModified;
    m_table.SetModified(state.tableModified);
    return changed;
}

CDrawEdit *COrvelDoc::AddFieldWithDataField(AnsiView name, const DrawColors &colors)
{
    CDrawEdit *added = insertFieldWithDataField(name, colors);
    if (added != nullptr)
        UpdateAllViews(Hint::FieldsChanged);
    return added;
}

CDrawEdit *COrvelDoc::insertFieldWithDataField(AnsiView name, const DrawColors &colors)
{
    if (m_table.GetFieldCount() >= kMaxFields) {
        MessageBoxById(ids::kMsgTooManyFields, MsgIcon::Exclamation);
        return nullptr;
    }
    const int pos = m_table.InsertField(name);
    if (pos < 0)
        return nullptr;
    m_form.InsertDataFieldIndex(pos);
    auto field = std::make_unique<CDrawEdit>(pos, m_form.NewDataFieldRect(), colors);
    auto *added = static_cast<CDrawEdit *>(m_form.Add(std::move(field)));
    ++m_fieldCounter;
    m_table.SetModified();
    SetModifiedFlag();
    return added;
}

bool COrvelDoc::DeleteFieldWithDataFields(int pos)
{
    if (pos < 0 || pos >= m_table.GetFieldCount())
        return false;
    m_form.DeleteDataFields(pos);
    if (!m_table.DeleteField(pos))
        return false;
    m_table.SetModified();
    SetModifiedFlag();
    UpdateAllViews(Hint::FieldsChanged);
    UpdateAllViews(Hint::FormRepaint);
    return true;
}

CDrawEdit *COrvelDoc::CreateField(const FieldDefinition &definition, const DrawColors &colors)
{
    CDrawEdit *field = insertFieldWithDataField(definition.name, colors);
    if (field == nullptr)
        return nullptr;
    const int pos = field->fieldIndex;
    m_table.SetFieldType(definition.type, pos);
    if (definition.FormatValue() >= 0)
        m_table.SetFieldFormat(definition.FormatValue(), pos);
    m_table.SetPrintFlag(IsDataType(definition.type) ? 1 : 0, pos);
    m_table.SetDefaultValue(definition.defaultValue, pos);
    m_form.ChangeObject(field, [&definition](CDrawObj &changed) {
        auto &edit = static_cast<CDrawEdit &>(changed);
        edit.framed = definition.framed ? 1 : 0;
        edit.showFieldName = definition.showFieldName ? 1 : 0;
        edit.embedded = definition.embedded ? 1 : 0;
    });
    UpdateAllViews(Hint::FieldsChanged);
    return field;
}

FieldDefinition COrvelDoc::GetFieldDefinition(int pos) const
{
    FieldDefinition definition;
    if (pos < 0 || pos >= m_table.GetFieldCount())
        return definition;
    definition.name = m_table.GetFieldName(pos);
    definition.type = m_table.GetFieldType(pos);
    if (definition.type == FT_NUMERIC)
        definition.decimals = m_table.GetFieldFormat(pos);
    else if (definition.type == FT_DATE)
        definition.dateFormat = m_table.GetFieldFormat(pos);
    definition.defaultValue = m_table.GetDefaultValue(pos);
    if (const CDrawEdit *field = m_form.FindDataField(pos)) {
        definition.framed = field->framed != 0;
        definition.showFieldName = field->showFieldName != 0;
        definition.embedded = field->embedded != 0;
    }
    return definition;
}

bool COrvelDoc::ChangeField(int pos, const FieldDefinition &definition)
{
    if (pos < 0 || pos >= m_table.GetFieldCount())
        return false;
    m_table.SetFieldName(definition.name, pos);
    if (m_table.GetFieldType(pos) != definition.type)
        m_table.SetFieldType(definition.type, pos);
    if (definition.FormatValue() >= 0)
        m_table.SetFieldFormat(definition.FormatValue(), pos);
    m_table.SetDefaultValue(definition.defaultValue, pos);
    for (const auto &object : m_form.GetObjects()) {
        auto *field = dynamic_cast<CDrawEdit *>(object.get());
        if (field == nullptr || field->fieldIndex != pos)
            continue;
        m_form.ChangeObject(field, [&definition](CDrawObj &changed) {
            auto &edit = static_cast<CDrawEdit &>(changed);
            edit.framed = definition.framed ? 1 : 0;
            edit.showFieldName = definition.showFieldName ? 1 : 0;
            edit.embedded = definition.embedded ? 1 : 0;
            // A new type or a new picture setting reads the value anew.
            edit.valueUnreadable = false;
            edit.shownValue.clear();
        });
    }
    m_table.SetModified();
    SetModifiedFlag();
    UpdateAllViews(Hint::FieldsChanged);
    UpdateAllViews(Hint::FormRepaint);
    return true;
}

bool COrvelDoc::ApplyFieldOrder(const std::vector<int> &oldPositions)
{
    const int count = m_table.GetFieldCount();
    if (int(oldPositions.size()) != count)
        return false;
    bool moved = false;
    for (int i = 0; i < count; ++i)
        moved = moved || oldPositions[std::size_t(i)] != i;
    if (!moved)
        return true;
    if (!m_table.ApplyFieldOrder(oldPositions))
        return false;
    // A data field of the field that was at p now shows position i, where
    // oldPositions[i] == p.
    std::vector<int> newIndexOfOld(std::size_t(count), -1);
    for (int i = 0; i < count; ++i)
        newIndexOfOld[std::size_t(oldPositions[std::size_t(i)])] = i;
    m_form.RenumberDataFields(newIndexOfOld);
    m_table.SetModified();
    SetModifiedFlag();
    UpdateAllViews(Hint::FieldsChanged);
    UpdateAllViews(Hint::FormRepaint);
    return true;
}

AnsiString COrvelDoc::NextDataFieldName()
{
    for (;;) {
        const AnsiString name = "Datenfeld" + std::to_string(m_fieldCounter);
        if (m_table.FindPlainFieldName(name) < 0)
            return name;
        ++m_fieldCounter;
    }
}

} // namespace orvel
