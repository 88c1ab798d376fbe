#include "templates/TemplateBuilder.h"

#include "document/OrvelDoc.h"
#include "form/DrawEdit.h"
#include "form/DrawRect.h"
#include "form/DrawText.h"
#include "form/ObjectProperties.h"
#include "platform/Codepage.h"
#include "platform/TempFile.h"
#include "table/FieldType.h"
#include "table/ObjectStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace orvel::templates {

namespace {

// --- What a template is made of ---

struct Field
{
    const char *name;
    int type = FT_TEXT;
    // Decimals of a numeric field, date format of a date field.
    int format = 0;
    // List column width in characters.
    int width = 18;
};

// A group of fields inside one frame, with its caption. Each row holds the
// fields (display positions) that stand side by side.
struct Group
{
    enum Span { Full, Left, Right };
    const char *caption;
    Span span;
    std::vector<std::vector<int>> rows;
};

struct Palette
{
    COLORREF background;
    COLORREF banner;
    COLORREF bannerText;
    COLORREF groupFill;
    COLORREF groupLine;
    COLORREF caption;
    COLORREF label;
};

// The sample records: one UTF-8 text per field in display order. A memo
// field's text is the memo itself; a picture field's text is the number of
// the scene drawn for it.
using Record = std::vector<const char *>;

struct Spec
{
    std::vector<Field> fields;
    std::vector<Group> groups;
    Palette palette;
    std::vector<Record> records;
};

// All records carry the same time of change (1 January 1997, 00:00 UTC), so
// that every build writes the same bytes.
constexpr std::uint32_t kRecordTime = 852076800;

// --- The templates ---

Spec AddressSpec()
{
    return Spec{{{"Anrede", FT_TEXT, 0, 8},
                 {"Vorname", FT_TEXT, 0, 14},
                 {"Nachname", FT_TEXT, 0, 16},
                 {"Firma", FT_TEXT, 0, 22},
                 {"Straße", FT_TEXT, 0, 22},
                 {"PLZ", FT_TEXT, 0, 7},
                 {"Ort", FT_TEXT, 0, 18},
                 {"Land", FT_TEXT, 0, 12},
                 {"Telefon", FT_TEXT, 0, 16},
                 {"Telefax", FT_TEXT, 0, 16},
                 {"E-Mail", FT_TEXT, 0, 26},
                 {"Geburtstag", FT_DATE, 0, 10},
                 {"Bemerkung", FT_TEXT, 0, 30}},
                {{"Person", Group::Full, {{0, 11}, {1, 2}, {3}}},
                 {"Anschrift", Group::Full, {{4}, {5, 6}, {7}}},
                 {"Erreichbarkeit", Group::Full, {{8, 9}, {10}, {12}}}},
                {RGB(236, 232, 220), RGB(40, 70, 120), RGB(255, 255, 255), RGB(250, 248, 240), RGB(150, 135, 105),
                 RGB(40, 70, 120), RGB(60, 50, 40)},
                {{"Frau", "Erika", "Mustermann", "Mustermann & Partner", "Lindenallee 12", "12345", "Musterstadt",
                  "Deutschland", "0123 456789", "0123 456780", "erika.mustermann@example.org", "19640812",
                  "Kennt sich mit Rosen aus"},
                 {"Herr", "Max", "Beispiel", "Beispiel Bau GmbH", "Am Mühlbach 7", "54321", "Beispielhausen",
                  "Deutschland", "0987 654321", "", "max.beispiel@example.com", "19710305", "Ruft lieber abends an"},
                 {"Frau", "Jana", "Fiktiv", "", "Königsweg 3a", "98765", "Neustadt an der Probe", "Deutschland",
                  "0456 112233", "", "jana.fiktiv@example.org", "19821129", "Kollegin aus dem Chor"},
                 {"Herr", "Jürgen", "Übermut", "Gasthof Zur Linde", "Dorfstraße 1", "1234", "Irgendwo", "Österreich",
                  "+43 1234 5678", "+43 1234 5679", "linde@example.com", "19580117", "Stammtisch donnerstags"}}};
}

Spec PhoneSpec()
{
    return Spec{{{"Name", FT_TEXT, 0, 16},
                 {"Vorname", FT_TEXT, 0, 14},
                 {"Privat", FT_TEXT, 0, 16},
                 {"Dienstlich", FT_TEXT, 0, 16},
                 {"Mobil", FT_TEXT, 0, 16},
                 {"Telefax", FT_TEXT, 0, 16},
                 {"Bemerkung", FT_TEXT, 0, 30}},
                {{"Person", Group::Full, {{0, 1}}},
                 {"Rufnummern", Group::Full, {{2, 3}, {4, 5}}},
                 {"Notizen", Group::Full, {{6}}}},
                {RGB(225, 238, 225), RGB(30, 100, 60), RGB(255, 255, 255), RGB(246, 251, 246), RGB(110, 150, 115),
                 RGB(30, 100, 60), RGB(30, 50, 35)},
                {{"Mustermann", "Erika", "0123 456789", "0123 987654", "0170 1234567", "", "Am besten abends"},
                 {"Beispiel", "Max", "0987 654321", "", "0171 7654321", "0987 654320", ""},
                 {"Fiktiv", "Jana", "0456 112233", "0456 998877", "", "", "Mittwochs im Büro"},
                 {"Übermut", "Jürgen", "+43 1234 5678", "", "+43 664 1234567", "+43 1234 5679", "Gasthof"},
                 {"Zufall", "Günther", "0321 445566", "0321 445500", "0160 9988776", "", "Hausarzt, Praxis"}}};
}

Spec WwwSpec()
{
    return Spec{{{"Titel", FT_TEXT, 0, 22},
                 {"Adresse", FT_TEXT, 0, 30},
                 {"Aufrufen", FT_LINK, 0, 10},
                 {"Kategorie", FT_TEXT, 0, 14},
                 {"Bewertung", FT_NUMERIC, 0, 9},
                 {"Besucht am", FT_DATE, 0, 10},
                 {"Beschreibung", FT_TEXT, 0, 40}},
                {{"Seite", Group::Full, {{0}, {1}, {2}}},
                 {"Einordnung", Group::Full, {{3, 4}, {5}}},
                 {"Beschreibung", Group::Full, {{6}}}},
                {RGB(220, 232, 246), RGB(20, 80, 150), RGB(255, 255, 255), RGB(245, 249, 255), RGB(110, 140, 180),
                 RGB(20, 80, 150), RGB(25, 40, 70)},
                {{"Beispiel-Portal", "https://www.example.org/", "Beispiel-Portal,https://www.example.org/,,",
                  "Allgemein", "5", "19970115", "Startseite mit Nachrichten aus aller Welt"},
                 {"Rezepte-Sammlung", "https://rezepte.example.com/", "Rezepte,https://rezepte.example.com/,,",
                  "Kochen", "4", "19970203", "Schwäbische und bayerische Küche, nach Zutaten sortiert"},
                 {"Wanderwege", "https://www.example.net/wandern/", "Wanderwege,https://www.example.net/wandern/,,",
                  "Freizeit", "3", "19961121", "Routen mit Höhenprofil und Einkehrmöglichkeiten"},
                 {"Bahn-Fahrplan", "https://fahrplan.example.org/", "Fahrplan,https://fahrplan.example.org/,,",
                  "Reisen", "4", "19970110", "Verbindungen und Preise für Zugreisen"}}};
}

Spec CdSpec()
{
    return Spec{{{"Interpret", FT_TEXT, 0, 20},
                 {"Titel", FT_TEXT, 0, 24},
                 {"Label", FT_TEXT, 0, 14},
                 {"Jahr", FT_TEXT, 0, 6},
                 {"Genre", FT_TEXT, 0, 12},
                 {"Titelanzahl", FT_NUMERIC, 0, 6},
                 {"Spieldauer", FT_TEXT, 0, 8},
                 {"Kaufdatum", FT_DATE, 0, 10},
                 {"Preis", FT_NUMERIC, 2, 8},
                 {"Bemerkung", FT_TEXT, 0, 30}},
                {{"Album", Group::Full, {{0}, {1}, {2, 3}, {4}}},
                 {"Inhalt", Group::Left, {{5}, {6}}},
                 {"Kauf", Group::Right, {{7}, {8}}},
                 {"Notizen", Group::Full, {{9}}}},
                {RGB(236, 228, 242), RGB(90, 40, 110), RGB(255, 240, 200), RGB(250, 246, 252), RGB(150, 120, 165),
                 RGB(90, 40, 110), RGB(50, 30, 60)},
                {{"Die Nordlichter", "Polarnacht", "Eisberg Records", "1995", "Pop", "12", "48:31", "19960314", "29.95",
                  "Mit Bonustitel"},
                 {"Quartett Sonnenfeld", "Streichquartette Nr. 1-3", "Klangbild", "1993", "Klassik", "9", "71:05",
                  "19961224", "34.90", "Geschenk von Tante Hilde"},
                 {"Max Beispiel & Band", "Landstraße", "Feldweg Musik", "1996", "Rock", "11", "52:14", "19970111",
                  "24.99", ""},
                 {"Trio Mondschein", "Blaue Stunde", "Nachtfalter", "1994", "Jazz", "8", "44:50", "19950830", "19.95",
                  "Live-Aufnahme aus dem Kurhaus"}}};
}

Spec SongsSpec()
{
    return Spec{{{"Titel", FT_TEXT, 0, 24},
                 {"Interpret", FT_TEXT, 0, 20},
                 {"Album", FT_TEXT, 0, 20},
                 {"Komponist", FT_TEXT, 0, 18},
                 {"Texter", FT_TEXT, 0, 18},
                 {"Jahr", FT_TEXT, 0, 6},
                 {"Dauer", FT_TEXT, 0, 6},
                 {"Tonart", FT_TEXT, 0, 8},
                 {"Liedtext", FT_MEMO, 0, 10}},
                {{"Lied", Group::Full, {{0}, {1, 2}}},
                 {"Urheber", Group::Full, {{3, 4}}},
                 {"Angaben", Group::Full, {{5, 6}, {7, 8}}}},
                {RGB(246, 236, 220), RGB(150, 70, 30), RGB(255, 250, 235), RGB(255, 251, 244), RGB(190, 150, 110),
                 RGB(150, 70, 30), RGB(70, 40, 20)},
                {{"Abendlied am See", "Die Nordlichter", "Polarnacht", "Hanna Beispiel", "Otto Fiktiv", "1995", "3:42",
                  "G-Dur",
                  "Still liegt der See im Abendrot,\nder Fischer zieht sein Boot an Land.\n\n"
                  "Refrain:\nSchlaf nun, schlaf, die Welle singt,\nbis dass der Morgen wiederkehrt."},
                 {"Landstraße", "Max Beispiel & Band", "Landstraße", "Max Beispiel", "Max Beispiel", "1996", "4:15",
                  "E-Moll",
                  "Die Straße zieht sich grau und weit,\nich fahr' hinaus, ich hab' noch Zeit.\n"
                  "Der Motor brummt, das Radio spielt,\nich weiß nicht, wo die Reise hinführt."},
                 {"Blaue Stunde", "Trio Mondschein", "Blaue Stunde", "Karl Zufall", "", "1994", "5:58", "F-Dur",
                  "(Instrumental)\n\nSolo: Klavier, danach Kontrabass.\nSchluss mit Besen auf der kleinen Trommel."},
                 {"Frühlingsgruß", "Chor Lindenhof", "Jahreszeiten", "Überlieferung", "Überlieferung", "1990", "2:31",
                  "D-Dur",
                  "Der Winter ist vergangen,\ndie Vöglein singen schön,\nnun lasst uns mit Verlangen\n"
                  "hinaus ins Grüne gehn."}}};
}

Spec BooksSpec()
{
    return Spec{{{"Autor", FT_TEXT, 0, 20},
                 {"Titel", FT_TEXT, 0, 26},
                 {"Untertitel", FT_TEXT, 0, 24},
                 {"Verlag", FT_TEXT, 0, 16},
                 {"Verlagsort", FT_TEXT, 0, 12},
                 {"Jahr", FT_TEXT, 0, 6},
                 {"ISBN", FT_TEXT, 0, 14},
                 {"Seiten", FT_NUMERIC, 0, 6},
                 {"Sachgebiet", FT_TEXT, 0, 14},
                 {"Standort", FT_TEXT, 0, 10},
                 {"Verliehen an", FT_TEXT, 0, 16},
                 {"Verliehen am", FT_DATE, 0, 10}},
                {{"Buch", Group::Full, {{0}, {1}, {2}}},
                 {"Ausgabe", Group::Full, {{3, 4}, {5, 7}, {6}}},
                 {"Bibliothek", Group::Left, {{8}, {9}}},
                 {"Ausleihe", Group::Right, {{10}, {11}}}},
                {RGB(238, 230, 216), RGB(100, 60, 30), RGB(255, 248, 230), RGB(252, 249, 242), RGB(165, 140, 110),
                 RGB(100, 60, 30), RGB(60, 40, 25)},
                {{"Hanna Beispiel", "Der Leuchtturm", "Roman", "Möwenverlag", "Kiel", "1992", "3-00-000001-1", "312",
                  "Roman", "Regal 2", "", ""},
                 {"Otto Fiktiv", "Gärtnern für Ungeduldige", "Ein Ratgeber in zwölf Monaten", "Grünfink", "Stuttgart",
                  "1995", "3-00-000002-X", "188", "Garten", "Regal 4", "Erika Mustermann", "19970105"},
                 {"Karl Zufall", "Die Geschichte der Dampfmaschine", "", "Technikhaus", "München", "1988",
                  "3-00-000003-8", "456", "Technik", "Regal 1", "", ""},
                 {"Jana Fiktiv", "Kochen mit Kindern", "Einfache Rezepte für jeden Tag", "Küchenbuch", "Hamburg",
                  "1996", "3-00-000004-6", "96", "Kochen", "Küche", "Max Beispiel", "19961218"},
                 {"Günther Übermut", "Sagen aus dem Alpenland", "", "Bergverlag", "Innsbruck", "1979", "3-00-000005-4",
                  "240", "Sagen", "Regal 3", "", ""}}};
}

Spec PicsSpec()
{
    return Spec{{{"Bild", FT_PICTURE, 0, 10},
                 {"Titel", FT_TEXT, 0, 24},
                 {"Datum", FT_DATE, 0, 10},
                 {"Ort", FT_TEXT, 0, 18},
                 {"Fotograf", FT_TEXT, 0, 16},
                 {"Film", FT_TEXT, 0, 12},
                 {"Album", FT_TEXT, 0, 12},
                 {"Beschreibung", FT_TEXT, 0, 40}},
                {{"Bild", Group::Left, {{0}}},
                 {"Aufnahme", Group::Right, {{1}, {2}, {3}, {4}, {5}, {6}}},
                 {"Beschreibung", Group::Full, {{7}}}},
                {RGB(228, 230, 236), RGB(55, 60, 75), RGB(255, 255, 255), RGB(248, 249, 252), RGB(130, 135, 150),
                 RGB(55, 60, 75), RGB(40, 42, 50)},
                {{"0", "Sonnenuntergang", "19960817", "An der Küste", "Erika Mustermann", "Farbe 100 ASA",
                  "Urlaub 1996", "Letzter Abend am Meer, kurz bevor die Sonne verschwand"},
                 {"1", "Bergsee", "19960722", "Im Hochgebirge", "Max Beispiel", "Dia 64 ASA", "Urlaub 1996",
                  "Spiegelglatter See am frühen Morgen"},
                 {"2", "Herbstwald", "19961012", "Hinter dem Haus", "Erika Mustermann", "Farbe 200 ASA", "Herbst 1996",
                  "Tannen im Nebel nach dem ersten Frost"},
                 {"3", "Blumenwiese", "19970512", "Beim Nachbarn", "Jana Fiktiv", "Farbe 100 ASA", "Frühling 1997",
                  "Wiese in voller Blüte"}}};
}

struct Entry
{
    TemplateInfo info;
    Spec (*spec)();
};

const std::array<Entry, 7> &Entries()
{
    static const std::array<Entry, 7> entries{{
            {{"Address.dtf", "Adreßdatenbank"}, AddressSpec},
            {{"Phone.dtf", "Telefonliste"}, PhoneSpec},
            {{"WWW.dtf", "WWW-Übersicht"}, WwwSpec},
            {{"CD.dtf", "CD-Datenbank"}, CdSpec},
            {{"Songs.dtf", "Liederverwaltung"}, SongsSpec},
            {{"Books.dtf", "Bücherverzeichnis"}, BooksSpec},
            {{"Pics.dtf", "Fotoalbum"}, PicsSpec},
    }};
    return entries;
}

AnsiString Ansi(const char *utf8)
{
    return QStringToAnsi(QString::fromUtf8(utf8));
}

// --- Objects ---

// Puts the bytes into the object store and returns their reference (empty
// when they could not be stored).
AnsiString StoreObject(const QByteArray &bytes, const QString &objectFile)
{
    TempFile file = TempFile::Create(QStringLiteral("TMP"), QStringLiteral("tmp"));
    if (file.isNull())
        return {};
    QFile out(file.path());
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size())
        return {};
    out.close();
    // WriteObject takes the file over and deletes it.
    return WriteObject(file.release(), "", objectFile);
}

// A memo as the memo editor keeps it: Windows-1252 bytes, CR LF between the
// lines, no terminator.
QByteArray MemoBytes(const char *utf8)
{
    AnsiString text = Ansi(utf8);
    QByteArray bytes;
    for (char c : text) {
        if (c == '\n')
            bytes += '\r';
        bytes += c;
    }
    return bytes;
}

// --- The form ---

constexpr int kFormLeft = 12;
constexpr int kFormRight = 612;
constexpr int kGroupGap = 12;
constexpr int kInnerMargin = 12;
constexpr int kColumnGap = 16;
constexpr int kRowGap = 8;
constexpr int kCaptionHeight = 24;
// Where the value of a labelled data field starts: the label is as wide as
// twelve "X" of the stock font (as the form measures it at 96 dpi), the
// value 5 to its right.
constexpr int kLabelAllowance = 102;
// The sample pictures and the room for them inside a sunken frame.
constexpr int kPictureWidth = 160;
constexpr int kPictureHeight = 120;

int FieldHeight(int type)
{
    switch (type) {
    case FT_PICTURE:
        return 3 * kPictureHeight / 2 + 4;
    case FT_MEMO:
        return 25;
    case FT_LINK:
        return 23;
    default:
        return kGeneratedFormLineHeight;
    }
}

LOGFONT BoldFont(int height, const char *face)
{
    LOGFONT font = StockFont(DEFAULT_GUI_FONT);
    font.lfHeight = height;
    font.lfWeight = 700;
    font.setFaceName(face);
    return font;
}

void AddText(CFormObjects &form, const RECT &position, const char *utf8, const LOGFONT &font, COLORREF color,
             int alignment)
{
    auto text = std::make_unique<CDrawText>(position, DrawColors{color, kDefaultFillColor});
    text->text = Ansi(utf8);
    text->font = font;
    text->textColor = color;
    text->alignment = uint16_t(alignment);
    text->drawFlags = TextDrawFlags(alignment, true);
    form.Add(std::move(text));
}

CDrawRect *AddFrame(CFormObjects &form, CDrawRect::Shape shape, const RECT &position, COLORREF line, COLORREF fill)
{
    auto frame = std::make_unique<CDrawRect>(shape, position, DrawColors{line, fill});
    return static_cast<CDrawRect *>(form.Add(std::move(frame)));
}

// The height a group needs for its rows.
int GroupHeight(const Spec &spec, const Group &group)
{
    int height = kCaptionHeight;
    for (const auto &row : group.rows) {
        int rowHeight = 0;
        for (int field : row)
            rowHeight = std::max(rowHeight, FieldHeight(spec.fields[std::size_t(field)].type));
        height += rowHeight + kRowGap;
    }
    return height + kInnerMargin - kRowGap;
}

// The data fields of one group inside the frame from `left` to `right`,
// starting at `top`.
void AddGroupFields(CFormObjects &form, const Spec &spec, const Group &group, int left, int right, int top)
{
    int y = top + kCaptionHeight;
    for (const auto &row : group.rows) {
        const int count = int(row.size());
        const int inner = right - left - 2 * kInnerMargin;
        const int cell = (inner - (count - 1) * kColumnGap) / count;
        int rowHeight = 0;
        for (int k = 0; k < count; ++k) {
            const int pos = row[std::size_t(k)];
            const int type = spec.fields[std::size_t(pos)].type;
            const int height = FieldHeight(type);
            rowHeight = std::max(rowHeight, height);
            RECT r{left + kInnerMargin + k * (cell + kColumnGap), y, 0, y + height};
            r.right = r.left + cell;
            auto field = std::make_unique<CDrawEdit>(pos, r, DrawColors{spec.palette.label, kDefaultFillColor});
            field->textColor = spec.palette.label;
            if (type == FT_MEMO) {
                // A button named after the field, where the values of the
                // other fields stand.
                field->position.left += kLabelAllowance;
            } else if (type == FT_PICTURE) {
                // The picture alone, in its own 4:3 frame; the group's
                // caption names it.
                field->showFieldName = 0;
                field->embedded = 1;
                field->position.right = field->position.left + 3 * kPictureWidth / 2 + 4;
            }
            form.Add(std::move(field));
        }
        y += rowHeight + kRowGap;
    }
}

void BuildForm(CFormObjects &form, const Spec &spec, const char *title)
{
    const Palette &p = spec.palette;
    form.SetBackground(p.background);

    // The title on a banner across the top.
    const RECT banner{kFormLeft, 12, kFormRight, 60};
    AddFrame(form, CDrawRect::rectangle, banner, p.banner, p.banner);
    AddText(form, RECT{banner.left + 8, banner.top + 8, banner.right - 8, banner.bottom - 6}, title,
            BoldFont(-26, "Times New Roman"), p.bannerText, 1);

    const LOGFONT captionFont = BoldFont(-11, "MS Sans Serif");
    const int middle = (kFormLeft + kFormRight) / 2;
    int y = banner.bottom + 14;
    // A left group and the right group after it stand side by side in
    // frames of the same height.
    CDrawRect *leftFrame = nullptr;
    for (const Group &group : spec.groups) {
        int left = kFormLeft;
        int right = kFormRight;
        if (group.span == Group::Left)
            right = middle - kGroupGap / 2;
        else if (group.span == Group::Right)
            left = middle + kGroupGap / 2;
        const int top = group.span == Group::Right && leftFrame ? leftFrame->position.top : y;
        const RECT position{left, top, right, top + GroupHeight(spec, group)};
        CDrawRect *frame = AddFrame(form, CDrawRect::roundRectangle, position, p.groupLine, p.groupFill);
        AddText(form, RECT{left + 10, top + 5, right - 10, top + 5 + 16}, group.caption, captionFont, p.caption, 0);
        AddGroupFields(form, spec, group, left, right, top);
        if (group.span == Group::Left) {
            leftFrame = frame;
            y = position.bottom + kGroupGap;
            continue;
        }
        if (group.span == Group::Right && leftFrame) {
            const int bottom = std::max(leftFrame->position.bottom, frame->position.bottom);
            leftFrame->position.bottom = bottom;
            frame->position.bottom = bottom;
        }
        leftFrame = nullptr;
        y = frame->position.bottom + kGroupGap;
    }
}

// --- Pictures ---

struct Rgb
{
    int r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    return {int(a.r + (b.r - a.r) * t), int(a.g + (b.g - a.g) * t), int(a.b + (b.b - a.b) * t)};
}

bool InCircle(double x, double y, double cx, double cy, double radius)
{
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
}

// The scenes are drawn on a 160 x 120 canvas, whatever the picture's size.
Rgb ScenePixel(int scene, double x, double y)
{
    switch (scene) {
    case 0: { // sunset over the sea
        if (InCircle(x, y, 80, 72, 20))
            return {255, 226, 140};
        if (y < 78)
            return Mix({80, 50, 130}, {255, 170, 90}, y / 78.0);
        const bool glitter = std::abs(x - 80) < 22 - (y - 78) * 0.3 && int(y) % 4 < 2;
        return glitter ? Rgb{240, 170, 100} : Mix({60, 60, 120}, {20, 30, 70}, (y - 78) / 42.0);
    }
    case 1: { // mountain lake
        const double ridge = std::min({78.0, 30 + std::abs(x - 50) * 1.1, 42 + std::abs(x - 115) * 0.9});
        if (y < ridge)
            return Mix({60, 120, 215}, {170, 210, 250}, y / 78.0);
        if (y < 80)
            return y < ridge + 9 && ridge < 60 ? Rgb{250, 250, 250} : Rgb{105, 105, 118};
        if (y < 84)
            return {70, 120, 60};
        return Mix({70, 130, 190}, {30, 70, 130}, (y - 84) / 36.0);
    }
    case 2: { // fir trees in the fog
        for (int tree = 0; tree < 5; ++tree) {
            const double cx = 18 + tree * 31;
            const double top = 22 + (tree % 2) * 12;
            if (y >= top && y <= 92 && std::abs(x - cx) <= (y - top) * 0.25)
                return tree % 2 ? Rgb{30, 90, 45} : Rgb{45, 110, 55};
            if (y > 92 && y < 102 && std::abs(x - cx) <= 2.5)
                return {100, 70, 40};
        }
        if (y >= 100)
            return Mix({90, 140, 60}, {60, 100, 40}, (y - 100) / 20.0);
        return Mix({200, 205, 210}, {235, 235, 230}, y / 100.0);
    }
    default: { // flower meadow
        if (y < 58)
            return Mix({90, 150, 230}, {200, 225, 250}, y / 58.0);
        // Flowers at fixed pseudo-random places.
        std::uint32_t seed = 12345;
        static constexpr std::array<Rgb, 4> colors{{{220, 40, 50}, {250, 210, 40}, {250, 250, 250}, {150, 80, 190}}};
        for (int flower = 0; flower < 40; ++flower) {
            seed = seed * 1103515245u + 12345u;
            const double fx = (seed >> 8) % 160;
            seed = seed * 1103515245u + 12345u;
            const double fy = 64 + (seed >> 8) % 54;
            if (InCircle(x, y, fx, fy, 2.5))
                return colors[std::size_t(flower) % colors.size()];
        }
        return Mix({120, 180, 70}, {50, 120, 40}, (y - 58) / 62.0);
    }
    }
}

void PutLe(QByteArray &bytes, int at, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}

} // namespace

std::span<const TemplateInfo> TemplateList()
{
    static const std::array<TemplateInfo, 7> list = [] {
        std::array<TemplateInfo, 7> infos{};
        for (std::size_t i = 0; i < infos.size(); ++i)
            infos[i] = Entries()[i].info;
        return infos;
    }();
    return list;
}

QByteArray MakeSceneBitmap(int scene, int width, int height)
{
    const int stride = (width * 3 + 3) & ~3;
    const int imageSize = stride * height;
    QByteArray bytes(14 + 40 + imageSize, '\0');
    // BITMAPFILEHEADER
    bytes[0] = 'B';
    bytes[1] = 'M';
    PutLe(bytes, 2, std::uint32_t(bytes.size()), 4);
    PutLe(bytes, 10, 14 + 40, 4);
    // BITMAPINFOHEADER: bottom-up rows, 24 bits, no compression, 72 dpi
    PutLe(bytes, 14, 40, 4);
    PutLe(bytes, 18, std::uint32_t(width), 4);
    PutLe(bytes, 22, std::uint32_t(height), 4);
    PutLe(bytes, 26, 1, 2);
    PutLe(bytes, 28, 24, 2);
    PutLe(bytes, 34, std::uint32_t(imageSize), 4);
    PutLe(bytes, 38, 2835, 4);
    PutLe(bytes, 42, 2835, 4);
    scene = ((scene % 4) + 4) % 4;
    for (int row = 0; row < height; ++row) {
        const int y = height - 1 - row;
        char *line = bytes.data() + 54 + row * stride;
        for (int x = 0; x < width; ++x) {
            const Rgb c = ScenePixel(scene, (x + 0.5) * 160.0 / width, (y + 0.5) * 120.0 / height);
            line[3 * x] = char(c.b);
            line[3 * x + 1] = char(c.g);
            line[3 * x + 2] = char(c.r);
        }
    }
    return bytes;
}

bool BuildTemplate(int index, COrvelDoc &doc)
{
    if (index < 0 || index >= int(Entries().size()))
        return false;
    const Entry &entry = Entries()[std::size_t(index)];
    const Spec spec = entry.spec();
    CDataTable &table = doc.GetTable();

    for (const Field &field : spec.fields) {
        const int pos = table.InsertField(Ansi(field.name));
        if (pos < 0)
            return false;
        table.SetFieldType(field.type, pos);
        table.SetFieldFormat(field.format, pos);
        table.SetColumnWidth(field.width, pos);
        // Lists print what can be shown as text.
        table.SetPrintFlag(IsDataType(field.type) ? 1 : 0, pos);
    }

    BuildForm(doc.GetForm(), spec, entry.info.title);

    const QString objectFile = doc.GetWorkingStorePath();
    for (const Record &values : spec.records) {
        auto record = table.CreateRecord(false);
        for (std::size_t pos = 0; pos < spec.fields.size() && pos < values.size(); ++pos) {
            AnsiString value;
            switch (spec.fields[pos].type) {
            case FT_MEMO:
                value = StoreObject(MemoBytes(values[pos]), objectFile);
                if (value.empty())
                    return false;
                break;
            case FT_PICTURE:
                value = StoreObject(MakeSceneBitmap(std::atoi(values[pos]), kPictureWidth, kPictureHeight), objectFile);
                if (value.empty())
                    return false;
                break;
            default:
                value = Ansi(values[pos]);
                break;
            }
            record->SetRawValue(value, int(pos));
        }
        record->SetModificationTime(kRecordTime);
        if (table.AddRecord(std::move(record)) < 0)
            return false;
    }
    return true;
}

bool WriteTemplates(const QString &folder, QString *error, QStringList *written)
{
    auto fail = [error](const QString &message) {
        if (error)
            *error = message;
        return false;
    };
    if (!QDir().mkpath(folder))
        return fail(QStringLiteral("Der Ordner %1 kann nicht angelegt werden.").arg(folder));
    const std::span<const TemplateInfo> list = TemplateList();
    for (int i = 0; i < int(list.size()); ++i) {
        const QString path = QDir(folder).absoluteFilePath(QString::fromLatin1(list[std::size_t(i)].fileName));
        COrvelDoc doc;
        // The user's settings have no say in what the templates hold.
        DocumentOptionOverrides overrides;
        overrides.relativePaths = false;
        doc.SetOptionOverrides(overrides);
        if (!BuildTemplate(i, doc))
            return fail(QStringLiteral("Die Vorlage %1 konnte nicht erstellt werden.").arg(path));
        // A database file under the templates' own extension: every name
        // that no exchange format claims is a database file, with its object
        // file beside it. Saving as Save As does compacts the objects.
        if (!doc.Save(path, 0, true))
            return fail(QStringLiteral("Die Vorlage %1 konnte nicht gespeichert werden.").arg(path));
        if (written)
            written->append(path);
    }
    return true;
}

} // namespace orvel::templates
