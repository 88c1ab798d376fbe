#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <span>

namespace orvel {

class COrvelDoc;

namespace templates {

// One of the database templates the "Neu" dialog offers.
struct TemplateInfo
{
    // The file name in the "Template" folder.
    const char *fileName;
    // The title of the form and of the dialog's entry (UTF-8).
    const char *title;
};

// The seven templates, in the order of the "Neu" dialog.
std::span<const TemplateInfo> TemplateList();

// Fills the empty document with template `index` of TemplateList(): its
// fields, its form and its sample records, the memo texts and embedded
// pictures written into the document's working object store. False when an
// object could not be stored or the index is out of range.
bool BuildTemplate(int index, COrvelDoc &doc);

// Builds every template and saves it into `folder` (created when missing)
// with the document's own Save, each database with its object file beside
// it. On failure `error` names what went wrong. `written` receives the paths
// of the database files.
bool WriteTemplates(const QString &folder, QString *error = nullptr, QStringList *written = nullptr);

// The sample pictures of the photo album: 24-bit uncompressed BMP files of
// `width` x `height` pixels, one of four scenes (`scene` modulo 4).
QByteArray MakeSceneBitmap(int scene, int width, int height);

} // namespace templates
} // namespace orvel
