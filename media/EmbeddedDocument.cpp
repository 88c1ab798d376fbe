#include "media/EmbeddedDocument.h"

#include <QFile>
#include <QMimeDatabase>
#include <QtEndian>

#include <algorithm>
#include <array>

namespace orvel {

namespace {

const NewDocumentType kTypes[] = {
        {NewDocumentKind::PlainText, QStringLiteral("Text"), QStringLiteral("Text.txt"), QStringLiteral("text/plain")},
        {NewDocumentKind::TextDocument, QStringLiteral("Textdokument"), QStringLiteral("Textdokument.fodt"),
         QStringLiteral("application/vnd.oasis.opendocument.text-flat-xml")},
        {NewDocumentKind::Picture, QStringLiteral("Bild"), QStringLiteral("Bild.png"), QStringLiteral("image/png")},
        {NewDocumentKind::Spreadsheet, QStringLiteral("Tabelle"), QStringLiteral("Tabelle.fods"),
         QStringLiteral("application/vnd.oasis.opendocument.spreadsheet-flat-xml")},
        {NewDocumentKind::Drawing, QStringLiteral("Zeichnung"), QStringLiteral("Zeichnung.fodg"),
         QStringLiteral("application/vnd.oasis.opendocument.graphics-flat-xml")},
};

// The namespaces every flat document declares, and its closing part.
constexpr char kXmlHead[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                            "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\"\n"
                            " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\"\n"
                            " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\"\n"
                            " xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\"\n"
                            " xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\"\n"
                            " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\"\n"
                            " office:version=\"1.2\" office:mimetype=\"";

constexpr char kTextBody[] = "application/vnd.oasis.opendocument.text\">\n"
                             " <office:body>\n"
                             "  <office:text>\n"
                             "   <text:p/>\n"
                             "  </office:text>\n"
                             " </office:body>\n"
                             "</office:document>\n";

constexpr char kSpreadsheetBody[] = "application/vnd.oasis.opendocument.spreadsheet\">\n"
                                    " <office:body>\n"
                                    "  <office:spreadsheet>\n"
                                    "   <table:table table:name=\"Tabelle1\">\n"
                                    "    <table:table-column/>\n"
                                    "    <table:table-row>\n"
                                    "     <table:table-cell/>\n"
                                    "    </table:table-row>\n"
                                    "   </table:table>\n"
                                    "  </office:spreadsheet>\n"
                                    " </office:body>\n"
                                    "</office:document>\n";

// A drawing page names its master page, and the master page its layout (an
// A4 page in landscape).
constexpr char kDrawingBody[] = "application/vnd.oasis.opendocument.graphics\">\n"
                                " <office:automatic-styles>\n"
                                "  <style:page-layout style:name=\"PM1\">\n"
                                "   <style:page-layout-properties fo:page-width=\"29.7cm\" fo:page-height=\"21cm\""
                                " style:print-orientation=\"landscape\"/>\n"
                                "  </style:page-layout>\n"
                                " </office:automatic-styles>\n"
                                " <office:master-styles>\n"
                                "  <style:master-page style:name=\"Standard\" style:page-layout-name=\"PM1\"/>\n"
                                " </office:master-styles>\n"
                                " <office:body>\n"
                                "  <office:drawing>\n"
                                "   <draw:page draw:name=\"Seite1\" draw:master-page-name=\"Standard\"/>\n"
                                "  </office:drawing>\n"
                                " </office:body>\n"
                                "</office:document>\n";

uint32_t crc32Of(const QByteArray &bytes)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (const char byte : bytes)
        crc = table[(crc ^ uint8_t(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void appendChunk(QByteArray &png, const char *type, const QByteArray &data)
{
    char length[4];
    qToBigEndian(uint32_t(data.size()), length);
    png.append(length, 4);
    const QByteArray body = QByteArray(type, 4) + data;
    png.append(body);
    char crc[4];
    qToBigEndian(crc32Of(body), crc);
    png.append(crc, 4);
}

// A white RGB picture, written without any picture library: the core
// stays free of Qt Gui.
QByteArray whitePng(int width, int height)
{
    QByteArray png("\x89PNG\r\n\x1A\n", 8);
    QByteArray header(13, '\0');
    qToBigEndian(uint32_t(width), header.data());
    qToBigEndian(uint32_t(height), header.data() + 4);
    header[8] = 8; // bits per sample
    header[9] = 2; // RGB
    appendChunk(png, "IHDR", header);
    QByteArray rows;
    rows.reserve(height * (1 + 3 * width));
    for (int y = 0; y < height; ++y) {
        rows.append('\0'); // filter: none
        rows.append(QByteArray(3 * width, '\xFF'));
    }
    // qCompress writes a zlib stream behind a four-byte length of its own.
    appendChunk(png, "IDAT", qCompress(rows, 9).mid(4));
    appendChunk(png, "IEND", QByteArray());
    return png;
}

} // namespace

std::span<const NewDocumentType> NewDocumentTypes()
{
    return kTypes;
}

const NewDocumentType &NewDocumentTypeOf(NewDocumentKind kind)
{
    for (const NewDocumentType &type : kTypes) {
        if (type.kind == kind)
            return type;
    }
    return kTypes[0];
}

QByteArray NewDocumentBytes(NewDocumentKind kind)
{
    switch (kind) {
    case NewDocumentKind::PlainText:
        return QByteArray();
    case NewDocumentKind::TextDocument:
        return QByteArray(kXmlHead) + kTextBody;
    case NewDocumentKind::Picture:
        return whitePng(320, 200);
    case NewDocumentKind::Spreadsheet:
        return QByteArray(kXmlHead) + kSpreadsheetBody;
    case NewDocumentKind::Drawing:
        return QByteArray(kXmlHead) + kDrawingBody;
    }
    return QByteArray();
}

QString MimeTypeOf(const QString &fileName, const QByteArray &head)
{
    static const QMimeDatabase database;
    return database.mimeTypeForFileNameAndData(fileName, head).name();
}

QString MimeTypeOfFile(const QString &path)
{
    QFile file(path);
    QByteArray head;
    if (file.open(QIODevice::ReadOnly))
        head = file.read(16 * 1024);
    return MimeTypeOf(path, head);
}

QString SafeDocumentFileName(const QString &storedName, const QString &mimeType)
{
    QString name = storedName;
    // Names from Windows may carry a folder with backslashes.
    const qsizetype slash = std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
    if (slash >= 0)
        name = name.mid(slash + 1);
    QString clean;
    for (const QChar c : std::as_const(name)) {
        if (c.unicode() >= 0x20 && c != QChar(0x7F))
            clean.append(c);
    }
    clean = clean.trimmed();
    // A name the file system would refuse as too long keeps its extension.
    if (clean.toUtf8().size() > 200) {
        const qsizetype dot = clean.lastIndexOf(u'.');
        const QString extension = dot > 0 && clean.size() - dot <= 10 ? clean.mid(dot) : QString();
        clean = clean.left(100) + extension;
    }
    if (clean.isEmpty() || clean == u"." || clean == u"..") {
        static const QMimeDatabase database;
        const QString suffix = database.mimeTypeForName(mimeType).preferredSuffix();
        clean = suffix.isEmpty() ? QStringLiteral("Dokument") : QStringLiteral("Dokument.") + suffix;
    }
    return clean;
}

QString MegabytesText(std::int64_t bytes)
{
    return QString::number((bytes + 512 * 1024) / (1024 * 1024));
}

} // namespace orvel
