#pragma once

#include <QString>

namespace orvel {

class COrvelDoc;

// Records travel through the system clipboard as the record stream of the
// "OrvelDatabase" format, under this MIME type. Objects of media values go
// into the clipboard object file (a temporary file the application keeps for
// the session), which the stream's references point into; so only this
// program can paste them.
inline constexpr char kRecordMimeType[] = "application/x-orvel-database";

// Copies one record: the record stream and the record's plain text (display
// values, one per line). When a media object cannot be copied (message 513)
// the clipboard gets the plain text alone and the result is false; a cut
// must then leave the record where it is.
bool CopyRecord(COrvelDoc &doc, int record, const QString &clipboardObjectFile);

// Copies every marked record, walking from the last to the first, under
// progress 428 with an Escape check (question 510) every 200 records. The
// result is true only when every marked record is on the clipboard: after
// Escape the records copied so far are there (the stream says how many), and
// after a record that could not be written (513) the clipboard is emptied.
// A cut of the marked records must delete them only on true.
bool CopyMarkedRecords(COrvelDoc &doc, const QString &clipboardObjectFile);

// Whether the clipboard offers records. Answered from a cache that follows
// the clipboard's change signal, so update handlers can ask it freely.
bool ClipboardHasRecords();

// Pastes the clipboard's records before `insertIndex` (-1 appends) when the
// table has fields; message 345 when the table is full. Returns the number
// of records inserted (0 when there was nothing to paste), -1 for a stream
// that could not be read (message 304).
int PasteRecords(COrvelDoc &doc, int insertIndex, const QString &clipboardObjectFile);

// At exit: the clipboard object file goes away with the program, so records
// left on the clipboard would point at nothing. Empties the clipboard when it
// holds records.
void ClearClipboardIfRecords();

} // namespace orvel
