#pragma once

#include "document/DatabaseFormat.h"
#include "document/DatabaseReader.h"
#include "document/DatabaseWriter.h"
#include "document/DocumentOptions.h"
#include "document/DocumentRecorder.h"
#include "document/FieldDefinition.h"
#include "document/FieldValueState.h"
#include "document/PageSettings.h"
#include "document/UpdateHint.h"
#include "form/FormObjects.h"
#include "platform/FileLock.h"
#include "platform/Services.h"
#include "table/DataTable.h"
#include "table/WorkingStore.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QIODevice;

namespace orvel {

class CEmbeddedEditing;
class RecordStream;

// The document of one open database: its table, form and print settings,
// the working object store its media values point into, and the lock that
// keeps other Orvel windows from writing its file. Views follow it through
// update hints.
class COrvelDoc
{
public:
    // The views hear of every change through this.
    using HintListener = std::function<void(const UpdateHint &hint)>;
    // Wraps the device a save writes the database file to (tests use it to
    // make writes fail part-way); it must pass seeks and writes through.
    using SaveDeviceFilter = std::function<std::unique_ptr<QIODevice>(QIODevice &file)>;

    // A new, untitled, empty document with its own working object store.
    COrvelDoc();
    virtual ~COrvelDoc();
    COrvelDoc(const COrvelDoc &) = delete;
    COrvelDoc &operator=(const COrvelDoc &) = delete;

    CDataTable &GetTable() { return m_table; }
    const CDataTable &GetTable() const { return m_table; }
    CFormObjects &GetForm() { return m_form; }
    const CFormObjects &GetForm() const { return m_form; }
    PageSettings &GetPageSettings() { return m_page; }
    const PageSettings &GetPageSettings() const { return m_page; }
    const CWorkingStore &GetWorkingStore() const { return m_store; }
    const QString &GetWorkingStorePath() const { return m_store.path(); }
    const FileLock &GetLock() const { return m_lock; }
    // The embedded documents of this database open in their applications.
    CEmbeddedEditing &GetEmbeddedEditing() { return *m_editing; }
    const CEmbeddedEditing &GetEmbeddedEditing() const { return *m_editing; }
    // How the document was last read: "ovd" for a database file, else the
    // exchange format's extension ("dbf", "sdf"); empty for a new document.
    const QString &GetFileFormatName() const { return m_fileFormat; }
    // The format version word of the database file as read (1 for a file
    // that still carries the save placeholder); 0 for other formats.
    uint16_t GetFileVersion() const { return m_fileVersion; }
    // The save dialog's filter index of the last database save (1 at first).
    int GetLastSaveFormat() const { return m_lastSaveFormat; }

    // --- Path, title, modified flag ---

    const QString &GetPathName() const { return m_path; }
    // An empty path makes the document untitled again; otherwise the title
    // becomes the file's name and the path goes to the recent-file list.
    void SetPathName(const QString &path);
    const QString &GetTitle() const { return m_title; }
    void SetTitle(const QString &title) { m_title = title; }
    bool IsModified() const { return m_modified; }
    void SetModifiedFlag(bool modified = true)
    {
        m_modified = modified;
        if (modified)
            m_recorder->Modified();
    }

    // Records the changes of the commands as steps for the undo list.
    CDocumentRecorder &GetRecorder() { return *m_recorder; }

    // --- Views ---

    // Returns a handle for RemoveHintListener.
    int AddHintListener(HintListener listener);
    void RemoveHintListener(int handle);
    void UpdateAllViews(const UpdateHint &hint);

    // --- Options ---

    // The settings as they are now, with the caller's overrides applied.
    DocumentOptions GetOptions() const;
    void SetOptionOverrides(const DocumentOptionOverrides &overrides) { m_overrides = overrides; }
    // For a caller that only reads some fields of a database file (a search
    // from the command line): the next Open keeps the values of the fields
    // whose bit is set (bit k for the k-th field of the file) and leaves the
    // others empty. Every field and record is still read and checked. A
    // document opened so cannot be saved.
    void SetFieldsToLoad(std::uint32_t fields) { m_readSelection.fields = fields; }
    // The same for records: the next Open of a database file keeps only the
    // records `filter` keeps (it must outlive the Open). Other formats are
    // read whole. GetKeptRecords() tells where each record was in the file
    // when the filter was used, and nothing otherwise.
    void SetRecordFilter(RecordFilter *filter) { m_readSelection.filter = filter; }
    const std::optional<std::vector<int>> &GetKeptRecords() const { return m_keptRecords; }
    // For a batch conversion into a database file: the next Open of a
    // format that can stream its records (dBASE without memo fields) reads
    // the fields only and leaves the records in the file, and the next save
    // as a database file converts them while it writes them. The document
    // holds no records meanwhile, and can be saved once, as a database file.
    void SetStreamRecords(bool stream) { m_streamRecords = stream; }
    bool StreamsRecords() const { return m_streamRecords; }
    // The format's reader hands over the records it left in the file.
    void TakeRecordStream(std::unique_ptr<RecordStream> stream);
    bool HasRecordStream() const { return m_recordStream != nullptr; }

    // --- Values ---

    // Stores typed text as a field's value (normalised by the field's type)
    // and marks the document modified. Nothing happens, and false comes
    // back, when the text is what the value shows already (the displayed
    // form for numbers and dates) or the record or field does not exist.
    // The caller tells the other views (hint 3).
    bool SetFieldText(int record, int field, AnsiView text);
    // Stores the reference of an object just written into the working store
    // as a media field's value, stamps the record and marks the document
    // modified, even when the reference stays the same (an object rewritten
    // in place is a change as well). False when the record or field does not
    // exist. The caller tells the views (hint 3).
    bool SetObjectReference(int record, int field, AnsiView reference);
    // Puts back a value as it was before an edit (Escape): the stored text,
    // the record's time of change and both modified flags. False when
    // nothing had changed or the record or field does not exist.
    FieldValueState GetFieldValueState(int record, int field) const;
    bool RestoreFieldValue(int record, int field, const FieldValueState &state);

    // --- Fields together with their data fields ---

    // A new text field at the end of the table (with its default column
    // width) and its data field on the form by the placement rule of new
    // data fields, in the given colours. Null, after message 500, when the
    // table has 32 fields already. The views hear of the new field.
    CDrawEdit *AddFieldWithDataField(AnsiView name, const DrawColors &colors);
    // Deletes the field with its values and its data fields; the data fields
    // of later fields move up by one. The views hear of it.
    bool DeleteFieldWithDataFields(int pos);
    // "Datenfeld%u" with the running field counter, skipping names that
    // are taken.
    AnsiString NextDataFieldName();
    // A new field as the field page defines it (checked already): a new
    // last field with its data field by the placement rule, its type,
    // format, default value and print flag (printed for text, numbers and
    // dates), the switches on its data field. Null, after message 500, at 32
    // fields. The views hear of it.
    CDrawEdit *CreateField(const FieldDefinition &definition, const DrawColors &colors);
    // The field at display position `pos` as the field page shows it; its
    // first data field supplies the switches (none: the defaults).
    FieldDefinition GetFieldDefinition(int pos) const;
    // Stores a changed definition (checked already): name, type (stored
    // values are never rewritten), the format of numeric and date fields,
    // default value, and the switches of the field's data fields. The
    // views hear of it. False when there is no such field.
    bool ChangeField(int pos, const FieldDefinition &definition);
    // A new order of the fields: the field at new position i is the one that
    // was at oldPositions[i]; the data fields keep showing their fields.
    bool ApplyFieldOrder(const std::vector<int> &oldPositions);

    // --- Page setup ---

    // Takes over the whole page setup (font, separator lines, options,
    // margins, alignment, header, footer, paper). The document is marked
    // modified only when something changed; returns whether it did.
    bool SetPageSettings(const PageSettings &settings);
    // The fields' print flags by display position (1 printed, 0 not).
    std::vector<int> GetPrintFlags() const;
    // Sets the print flags of the first flags.size() fields (any non-zero
    // flag is stored as 1); further flags are ignored. Marks the document
    // modified only when a flag changed; returns whether one did.
    bool SetPrintFlags(const std::vector<int> &flags);

    // "&Hintergrundfarbe...": marks the document modified and sends hint 20.
    COLORREF GetBackgroundColor() const { return m_form.GetBackground(); }
    void SetBackgroundColor(COLORREF color);

    // --- Lifecycle and file commands ---

    // Empties the document: no fields, records, form objects or objects in
    // the working store, print settings as new.
    void DeleteContents();
    // Fills the document from a file: dBASE and SDF by their extension,
    // anything else as a database file. `asCopy` only reads: the document
    // stays untitled and holds no lock (templates, "Einfügen aus...").
    // Failures are reported to the user.
    bool Open(const QString &path, bool asCopy = false);
    // Writes the document to `path` in the format its extension names.
    // `format` is the save dialog's filter index (0: the last one);
    // `reorganize` rebuilds the object file (Save As). Both files are
    // written beside their targets and replace them only when complete.
    // On success the document is not modified (unless it was an export)
    // and holds the lock on `path`.
    bool Save(const QString &path, int format = 0, bool reorganize = false);
    // With a path: a plain save to it; `replace` false writes a copy that
    // leaves the document's path, lock and modified flag alone (mail). With
    // none: Save As through the save dialog, which starts from the filter
    // index `*saveAsFilter` (the program remembers it; null starts from 1)
    // and stores the chosen one back.
    bool DoSave(const QString &path = QString(), bool replace = true, int *saveAsFilter = nullptr);
    // Asks whether to save changes (61699); false when the user cancels or
    // the save fails. Embedded documents still open in their applications
    // are asked about first (602), since the database is about to close.
    bool SaveModified(int *saveAsFilter = nullptr);
    // "S&peichern": a plain save when the file may still be read and
    // written, else Save As.
    bool OnFileSave(int *saveAsFilter = nullptr);
    // "Speichern &unter...".
    bool OnFileSaveAs(int *saveAsFilter = nullptr);
    // The document is closing: views hear hint 32.
    void OnCloseDocument();

    // --- The database file ---

    // Reads a database file from a readable, seekable device (`path` names
    // it: relative picture paths and the object file; empty for bytes from
    // elsewhere) into the empty document, then copies its object file into
    // the working store.
    dbfile::ReadOutcome ReadDatabase(QIODevice &file, const QString &path);
    // Writes the database file into an empty, seekable device. Message 515
    // for objects that could not be copied is left to the caller (Save
    // shows it once the files are in place), so `result` reports it.
    bool WriteDatabase(QIODevice &file, const DatabaseWriteTarget &target, bool reorganize,
                       DatabaseWriteResult *result = nullptr);
    // Enough room on the working store's file system to save (else 516).
    bool CheckWorkingStoreSpace() const;
    // One data field per field, for files and imports without a form.
    void CreateDefaultForm();

    // The progress window of the running file operation, if any.
    ProgressBox *GetProgress() const { return m_progress.get(); }
    void EndProgress() { m_progress.reset(); }
    // An importer that refused its file has told the user why already:
    // Open then shows no general read error after it.
    void SetReadFailureReported() { m_readFailureReported = true; }

    // Told about every path a document takes (the recent-file list).
    static void SetRecentFileHook(std::function<void(const QString &path)> hook);

    void SetSaveDeviceFilter(SaveDeviceFilter filter) { m_saveDeviceFilter = std::move(filter); }

protected:
    // Whether the file may be written (and read). A seam for tests, which
    // run as root where file modes do not refuse anything.
    virtual bool IsFileWritable(const QString &path) const;
    virtual bool IsFileReadable(const QString &path) const;

private:
    // A new last field and its data field, without telling the views (null,
    // after message 500, at 32 fields).
    CDrawEdit *insertFieldWithDataField(AnsiView name, const DrawColors &colors);

    friend class ProgressScope;
    bool saveTo(const QString &path, int format, bool reorganize, bool takePath);
    void clearModified();
    ProgressBox *beginProgress(int captionId, bool &created);

    CDataTable m_table;
    CFormObjects m_form;
    PageSettings m_page;
    CWorkingStore m_store;
    FileLock m_lock;
    QString m_path;
    QString m_title;
    bool m_modified = false;
    bool m_readFailureReported = false;
    int m_lastSaveFormat = 1;
    // The number the next "Datenfeld%u" gets.
    int m_fieldCounter = 1;
    QString m_fileFormat;
    uint16_t m_fileVersion = 0;
    DocumentOptionOverrides m_overrides;
    DatabaseReadSelection m_readSelection;
    std::optional<std::vector<int>> m_keptRecords;
    bool m_partlyLoaded = false;
    bool m_streamRecords = false;
    std::unique_ptr<RecordStream> m_recordStream;
    // The streamed records went into a file: the document never had them.
    bool m_recordsStreamed = false;
    std::unique_ptr<ProgressBox> m_progress;
    std::vector<std::pair<int, HintListener>> m_listeners;
    int m_nextListener = 1;
    SaveDeviceFilter m_saveDeviceFilter;
    std::unique_ptr<CDocumentRecorder> m_recorder;
    // Last, so that it goes first: it still reaches the form on its way.
    std::unique_ptr<CEmbeddedEditing> m_editing;
};

} // namespace orvel
