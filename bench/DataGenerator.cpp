#include "bench/DataGenerator.h"

#include <charconv>

namespace orvel::bench {
namespace {

// Texts are Windows-1252: \344 ä, \366 ö, \374 ü, \304 Ä, \326 Ö, \334 Ü, \337 ß.
const char *const kSurnames[] = {
        "M\374ller",   "Schmidt",  "Schneider",  "Fischer",    "Weber",      "Meyer",      "Wagner",     "Becker",
        "Schulz",      "Hoffmann", "Sch\344fer", "Koch",       "Bauer",      "Richter",    "Klein",      "Wolf",
        "Schr\366der", "Neumann",  "Schwarz",    "Zimmermann", "Braun",      "Kr\374ger",  "Hofmann",    "Hartmann",
        "Lange",       "Schmitt",  "Werner",     "Schmitz",    "Krause",     "Meier",      "Lehmann",    "Schmid",
        "Schulze",     "Maier",    "K\366hler",  "Herrmann",   "K\366nig",   "Walter",     "Mayer",      "Huber",
        "Kaiser",      "Fuchs",    "Peters",     "Lang",       "Scholz",     "M\366ller",  "Wei\337",    "Jung",
        "Hahn",        "Schubert", "Vogel",      "Friedrich",  "Keller",     "G\374nther", "Frank",      "Berger",
        "Winkler",     "Roth",     "Beck",       "Lorenz",     "Baumann",    "Franke",     "Albrecht",   "Schuster",
        "Simon",       "Ludwig",   "B\366hm",    "Winter",     "Kraus",      "Martin",     "Schumacher", "Kr\344mer",
        "Vogt",        "Stein",    "J\344ger",   "Otto",       "Sommer",     "Gro\337",    "Seidel",     "Heinrich",
        "Brandt",      "Haas",     "Schreiber",  "Graf",       "Schulte",    "Dietrich",   "Ziegler",    "Kuhn",
        "K\374hn",     "Pohl",     "Engel",      "Horn",       "Busch",      "Bergmann",   "Thomas",     "Voigt",
        "Sauer",       "Arnold",   "Wolff",      "Pfeiffer",   "\326zdemir", "\304rmel",   "\334bel"};
const char *const kFirstNames[] = {
        "Anna",       "J\374rgen", "Maria",     "Thomas",    "Sabine",   "Michael",  "Petra",    "Andreas",
        "Monika",     "Stefan",    "Ursula",    "Frank",     "Brigitte", "Klaus",    "Renate",   "Uwe",
        "Karin",      "Dieter",    "Gabriele",  "Wolfgang",  "J\366rg",  "Bj\366rn", "S\366ren", "G\374l",
        "Hans-Peter", "K\344the",  "G\374nter", "B\344rbel", "Lukas",    "Lea",      "Jonas",    "Sophie"};
const char *const kStreets[] = {"Hauptstra\337e",  "Schulstra\337e",  "Gartenstra\337e",   "Bahnhofstra\337e",
                                "Dorfstra\337e",   "Bergstra\337e",   "Birkenweg",         "Lindenstra\337e",
                                "Kirchstra\337e",  "Waldstra\337e",   "Ringstra\337e",     "M\374hlenweg",
                                "Am Markt",        "Goethestra\337e", "Schillerstra\337e", "Br\374ckenstra\337e",
                                "Fr\374hlingsweg", "Rosenweg",        "K\366nigsallee",    "Wiesenstra\337e"};
const char *const kCities[] = {"Berlin",     "Hamburg",       "M\374nchen",  "K\366ln",      "Frankfurt am Main",
                               "Stuttgart",  "D\374sseldorf", "Leipzig",     "Dortmund",     "Essen",
                               "Bremen",     "Dresden",       "Hannover",    "N\374rnberg",  "Duisburg",
                               "Bochum",     "Wuppertal",     "Bielefeld",   "Bonn",         "M\374nster",
                               "L\374beck",  "G\366ttingen",  "W\374rzburg", "Osnabr\374ck", "Saarbr\374cken",
                               "T\374bingen"};
const char *const kStates[] = {"Bayern",
                               "Baden-W\374rttemberg",
                               "Berlin",
                               "Brandenburg",
                               "Bremen",
                               "Hamburg",
                               "Hessen",
                               "Niedersachsen",
                               "Nordrhein-Westfalen",
                               "Rheinland-Pfalz",
                               "Saarland",
                               "Sachsen",
                               "Sachsen-Anhalt",
                               "Schleswig-Holstein",
                               "Th\374ringen"};
const char *const kCountries[] = {"Deutschland", "\326sterreich", "Schweiz", "Niederlande", "Frankreich"};
const char *const kCompanies[] = {"M\374ller & S\366hne GmbH",
                                  "Schmidt Bau AG",
                                  "B\344ckerei Becker",
                                  "Autohaus K\366nig",
                                  "Weber Elektro KG",
                                  "Gr\374ne Wiese e.V.",
                                  "Stadtwerke",
                                  "Kr\344uterhof Sommer",
                                  "Meier Logistik GmbH",
                                  ""};
const char *const kDepartments[] = {
        "Einkauf", "Verkauf", "Buchhaltung", "Personal", "Technik", "Vertrieb", "Gesch\344ftsf\374hrung", ""};
const char *const kPositions[] = {
        "Sachbearbeiter", "Abteilungsleiterin", "Gesch\344ftsf\374hrer", "Azubi", "Meister", "Referentin", ""};
const char *const kSalutations[] = {"Herr", "Frau", "Firma", ""};
const char *const kTitles[] = {"", "", "", "Dr.", "Prof.", "Dipl.-Ing."};
const char *const kCategories[] = {"Kunde", "Lieferant", "Freund", "Familie", "Verein", "Kollege", "Arzt"};
const char *const kKeywords[] = {"Weihnachtskarte", "Geburtstag", "R\374ckruf", "Angebot",
                                 "Rechnung offen",  "Stammkunde", "Neukunde",   ""};
const char *const kWords[] = {"bitte",
                              "zur\374ckrufen",
                              "wegen",
                              "Termin",
                              "im",
                              "M\344rz",
                              "Angebot",
                              "f\374r",
                              "die",
                              "neue",
                              "K\374che",
                              "hat",
                              "sich",
                              "gemeldet",
                              "Stra\337enfest",
                              "Gr\366\337e",
                              "an",
                              "Familie",
                              "Lieferung",
                              "versp\344tet",
                              "Rabatt",
                              "vereinbart",
                              "\374ber",
                              "Telefon",
                              "erreichbar",
                              "ab",
                              "Uhr",
                              "nicht",
                              "vor",
                              "Montag",
                              "Geschenk",
                              "gekauft",
                              "\304nderung",
                              "der",
                              "Adresse",
                              "beachten",
                              "ohne",
                              "Gew\344hr"};

} // namespace

DataGenerator::DataGenerator(uint64_t seed)
    : m_state(seed ? seed : 1)
{}

uint64_t DataGenerator::next()
{
    // xorshift64*: the same sequence on every machine and compiler.
    m_state ^= m_state >> 12;
    m_state ^= m_state << 25;
    m_state ^= m_state >> 27;
    return m_state * 2685821657736338717ULL;
}

std::vector<GeneratedField> DataGenerator::Fields()
{
    return {
            {"&Name", 0, 0},
            {"&Vorname", 0, 0},
            {"Stra\337e", 0, 0},
            {"PLZ", 0, 0},
            {"&Ort", 0, 0},
            {"Land", 0, 0},
            {"Telefon", 0, 0},
            {"Telefax", 0, 0},
            {"E-Mail", 0, 0},
            {"Firma", 0, 0},
            {"Abteilung", 0, 0},
            {"Position", 0, 0},
            {"Anrede", 0, 0},
            {"Titel", 0, 0},
            {"Kategorie", 0, 0},
            {"Stichwort", 0, 0},
            {"Bundesland", 0, 0},
            {"Homepage", 0, 0},
            {"Notizen", 0, 0},
            {"Bemerkung", 0, 0},
            {"Kundennummer", 1, 0},
            {"Umsatz", 1, 2},
            {"Rabatt", 1, 1},
            {"Anzahl", 1, 0},
            {"Gewicht", 1, 3},
            {"Preis", 1, 2},
            {"Geburtstag", 2, 2},
            {"Erstkontakt", 2, 1},
            {"Letzter Kontakt", 2, 2},
            {"Angelegt", 2, 4},
            {"Ge\344ndert", 2, 0},
            {"F\344llig", 2, 5},
    };
}

AnsiString DataGenerator::number(int maxInt, int decimals, bool allowNegative)
{
    char buffer[32];
    char *p = buffer;
    if (allowNegative && below(10) == 0)
        *p++ = '-';
    p = std::to_chars(p, buffer + sizeof buffer, below(maxInt)).ptr;
    if (decimals > 0) {
        *p++ = '.';
        for (int i = 0; i < decimals; ++i)
            *p++ = char('0' + below(10));
    }
    return AnsiString(buffer, p);
}

AnsiString DataGenerator::date(int fromYear, int toYear, int emptyPercent)
{
    if (below(100) < emptyPercent)
        return AnsiString();
    char buffer[8];
    const int year = fromYear + below(toYear - fromYear + 1);
    const int month = 1 + below(12);
    const int day = 1 + below(28);
    std::to_chars(buffer, buffer + 4, year);
    buffer[4] = char('0' + month / 10);
    buffer[5] = char('0' + month % 10);
    buffer[6] = char('0' + day / 10);
    buffer[7] = char('0' + day % 10);
    return AnsiString(buffer, 8);
}

AnsiString DataGenerator::notes(int maxBytes)
{
    const int target = below(maxBytes + 1);
    AnsiString text;
    while (true) {
        const char *word = pick(kWords);
        const size_t add = std::char_traits<char>::length(word) + (text.empty() ? 0 : 1);
        if (text.size() + add > size_t(target))
            break;
        if (!text.empty())
            text.push_back(' ');
        text += word;
    }
    if (!text.empty())
        text.push_back('.');
    return text;
}

void DataGenerator::nextRecord(std::vector<AnsiString> &values)
{
    values.resize(kFieldCount);
    const AnsiString surname = pick(kSurnames);
    values[0] = surname;
    values[1] = pick(kFirstNames);
    values[2] = AnsiString(pick(kStreets)) + ' ' + std::to_string(1 + below(180));
    char plz[6];
    std::to_chars(plz, plz + 5, 10000 + below(89999));
    values[3] = AnsiString(plz, 5);
    values[4] = pick(kCities);
    values[5] = pick(kCountries);
    values[6] = "0" + std::to_string(30 + below(9000)) + "/" + std::to_string(100000 + below(900000));
    values[7] = below(3) == 0 ? values[6] + "-9" : AnsiString();
    AnsiString mail = surname;
    for (char &c : mail) {
        if (static_cast<unsigned char>(c) >= 0x80)
            c = 'e';
        else if (c >= 'A' && c <= 'Z')
            c = char(c + 32);
    }
    values[8] = mail + "@example.de";
    values[9] = pick(kCompanies);
    values[10] = pick(kDepartments);
    values[11] = pick(kPositions);
    values[12] = pick(kSalutations);
    values[13] = pick(kTitles);
    values[14] = pick(kCategories);
    values[15] = pick(kKeywords);
    values[16] = pick(kStates);
    values[17] = below(4) == 0 ? "http://www." + mail + ".de/" : AnsiString();
    values[18] = notes(255);
    values[19] = notes(255);
    values[20] = number(999999, 0, false);
    values[21] = number(1000000, 2, true);
    values[22] = number(50, 1, false);
    values[23] = number(1000, 0, false);
    values[24] = number(100, 3, false);
    values[25] = number(10000, 2, false);
    values[26] = date(1930, 2005, 10);
    values[27] = date(1990, 2026, 5);
    values[28] = date(2010, 2026, 5);
    values[29] = date(1995, 2026, 0);
    values[30] = date(2020, 2026, 20);
    values[31] = date(2026, 2027, 50);
}

void DataGenerator::generate(int count, const std::function<void(const std::vector<AnsiString> &)> &sink)
{
    std::vector<AnsiString> values;
    for (int i = 0; i < count; ++i) {
        nextRecord(values);
        sink(values);
    }
}

} // namespace orvel::bench
