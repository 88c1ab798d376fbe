#include "resources/CommandTable.h"
#include "resources/MenuTable.h"
#include "resources/StringTable.h"

#include <gtest/gtest.h>

#include <QSet>

#include <QFile>

#include <algorithm>
#include <set>

using namespace orvel;

namespace {

QByteArray resource(const char *name)
{
    QFile file(QStringLiteral(":/orvel/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::vector<int> ids(const MenuEntry &entry)
{
    return entry.commandIds();
}

std::vector<QString> popupTexts(const MenuEntry &menu)
{
    std::vector<QString> texts;
    for (const MenuEntry &child : menu.children)
        texts.push_back(child.text);
    return texts;
}

} // namespace

TEST(StringTable, ReadsIdsTextsAndEscapes)
{
    QStringList errors;
    const StringTable table = StringTable::parse("\xEF\xBB\xBF"
                                                 "# comment\r\n"
                                                 "\r\n"
                                                 "317\tDatensatz %u von %u, \tkStatusRecord\r\n"
                                                 "5\tA\\nB\\tC\\r\\\"D\\\" \\\\E\n"
                                                 "401\tGr\xC3\xB6\xC3\x9F"
                                                 "e \xE2\x82\xAC \xC4\x80\n"
                                                 "7\t",
                                                 &errors);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    EXPECT_EQ(table.ids(), (std::vector<int>{5, 7, 317, 401}));
    // The trailing blank belongs to the text; the symbol after the tab does not.
    EXPECT_EQ(table.text(317), QStringLiteral("Datensatz %u von %u, "));
    EXPECT_EQ(table.text(5), QStringLiteral("A\nB\tC\r\"D\" \\E"));
    EXPECT_TRUE(table.contains(7));
    EXPECT_TRUE(table.text(7).isEmpty());
    EXPECT_FALSE(table.contains(6));
    EXPECT_TRUE(table.text(6).isEmpty());
    // Windows-1252 bytes; U+0100 has none and becomes "?".
    EXPECT_EQ(table.ansi(401), AnsiString("Gr\xF6\xDF"
                                          "e \x80 ?"));
}

TEST(StringTable, ReportsBadLinesAndKeepsTheRest)
{
    QStringList errors;
    const StringTable table = StringTable::parse("1\tgut\n"
                                                 "kein Tabulator\n"
                                                 "12a\tx\n"
                                                 "\tx\n"
                                                 "-1\tx\n"
                                                 "70000\tx\n"
                                                 "2\tunbekannt \\x\n"
                                                 "3\tam Ende \\\n"
                                                 "4\t\xC3\n"
                                                 "1\tzweimal\n"
                                                 "8\tauch gut",
                                                 &errors);
    EXPECT_EQ(table.ids(), (std::vector<int>{1, 8}));
    EXPECT_EQ(table.text(1), QStringLiteral("gut")); // the first of two texts is kept
    ASSERT_EQ(errors.size(), 9);
    EXPECT_TRUE(errors.at(0).contains(QStringLiteral("line 2"))) << errors.at(0).toStdString();
    EXPECT_TRUE(errors.at(8).contains(QStringLiteral("line 10"))) << errors.at(8).toStdString();
    // Without an error list nothing is reported, and nothing breaks.
    EXPECT_EQ(StringTable::parse("x\n9\tneun").ids(), std::vector<int>{9});
}

TEST(CommandTable, TakesPromptAndToolTipFromTheStringTable)
{
    const StringTable strings = StringTable::parse("57601\tÖffnet eine bestehende Datenbank.\\nÖffnen\n"
                                                   "32970\tAuswahl\n"
                                                   "32891\tFügt die Seitenzahl ein.\\nSeitenzahl\n");
    QStringList errors;
    const CommandTable table = CommandTable::parse("# comment\n"
                                                   "57601\tID_FILE_OPEN\t&Öffnen...\tCtrl+O\n"
                                                   "32970\tID_TOOL_SELECT\t&Auswahl\t\n"
                                                   "32891\tID_PLACEHOLDER_PAGE\t&&p\\tSeitenzahl\n"
                                                   "32805\tID_RECORD_MARK\tMarkieren\tNum++\n",
                                                   strings, &errors);
    ASSERT_EQ(errors.size(), 1); // 32805 has no string-table entry
    EXPECT_TRUE(errors.at(0).contains(QStringLiteral("32805")));
    ASSERT_EQ(table.all().size(), 4u);
    EXPECT_EQ(table.all().front().id, 32805); // ordered by id

    const Command *open = table.find(57601);
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->symbol, QStringLiteral("ID_FILE_OPEN"));
    EXPECT_EQ(open->menuText, QStringLiteral("&Öffnen..."));
    EXPECT_EQ(open->key, QStringLiteral("Ctrl+O"));
    EXPECT_EQ(open->prompt, QStringLiteral("Öffnet eine bestehende Datenbank."));
    EXPECT_EQ(open->toolTip, QStringLiteral("Öffnen"));

    const Command *select = table.findBySymbol(u"ID_TOOL_SELECT");
    ASSERT_NE(select, nullptr);
    EXPECT_EQ(select->prompt, QStringLiteral("Auswahl")); // one text serves as both
    EXPECT_EQ(select->toolTip, QStringLiteral("Auswahl"));
    EXPECT_TRUE(select->key.isEmpty());

    EXPECT_EQ(table.find(32891)->menuText, QStringLiteral("&&p\tSeitenzahl"));
    EXPECT_EQ(table.find(32805)->key, QStringLiteral("Num++"));
    EXPECT_EQ(table.find(1), nullptr);
    EXPECT_EQ(table.findBySymbol(u"ID_NONE"), nullptr);
}

TEST(CommandTable, ReportsBadLines)
{
    const StringTable strings = StringTable::parse("1\ta\n2\tb\n3\tc\n");
    QStringList errors;
    const CommandTable table = CommandTable::parse("1\tID_ONE\t&Eins\tCtrl+1\n"
                                                   "2\tID_GERMAN_KEY\tx\tStrg+O\n"
                                                   "2\tID_NO_KEY\tx\tCtrl+Banana\n"
                                                   "2\tID_TWO_KEYS\tx\tCtrl+A, Ctrl+B\n"
                                                   "2\tid_lower\tx\n"
                                                   "2\n"
                                                   "x2\tID_X\n"
                                                   "2\tID_MANY\ta\tb\tc\n"
                                                   "2\tID_BAD_ESCAPE\ta\\q\n"
                                                   "1\tID_AGAIN\n"
                                                   "3\tID_ONE\n"
                                                   "2\tID_TWO\t&Zwei\n",
                                                   strings, &errors);
    EXPECT_EQ(errors.size(), 10) << errors.join(u'\n').toStdString();
    ASSERT_EQ(table.all().size(), 2u);
    EXPECT_EQ(table.find(2)->symbol, QStringLiteral("ID_TWO"));
    EXPECT_EQ(table.find(3), nullptr);
}

TEST(MenuTable, ReadsNestedMenusAndToolbars)
{
    QStringList errors;
    const MenuTable table = MenuTable::parse("# comment\n"
                                             "menu Main\n"
                                             "  popup &Datei\n"
                                             "    57600\n"
                                             "    -\n"
                                             "    popup Markierte &Datensätze\n"
                                             "      32907\n"
                                             "    end\n"
                                             "    32772 Datensatz &löschen\n"
                                             "    recent-files\n"
                                             "  end\n"
                                             "  popup Leer\n"
                                             "  end\n"
                                             "end\n"
                                             "toolbar Standard\n"
                                             "  57600\n"
                                             "  -\n"
                                             "  57601\n"
                                             "end\n",
                                             &errors);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    const MenuEntry *main = table.menu(u"Main");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(popupTexts(*main), (std::vector<QString>{QStringLiteral("&Datei"), QStringLiteral("Leer")}));
    const MenuEntry *file = main->popup(u"&Datei");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->children.size(), 5u);
    EXPECT_EQ(file->children[1].kind, MenuEntry::Kind::Separator);
    EXPECT_EQ(file->children[2].kind, MenuEntry::Kind::Popup);
    EXPECT_EQ(file->children[3].kind, MenuEntry::Kind::Command);
    EXPECT_EQ(file->children[3].text, QStringLiteral("Datensatz &löschen"));
    EXPECT_EQ(file->children[4].kind, MenuEntry::Kind::Placeholder);
    EXPECT_EQ(file->children[4].text, QStringLiteral("recent-files"));
    EXPECT_EQ(ids(*main), (std::vector<int>{57600, 32907, 32772}));
    EXPECT_TRUE(main->popup(u"Leer")->children.empty());

    const MenuEntry *bar = table.toolbar(u"Standard");
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(ids(*bar), (std::vector<int>{57600, 57601}));
    EXPECT_EQ(bar->children.size(), 3u);
    EXPECT_EQ(table.menu(u"Standard"), nullptr); // menus and toolbars have their own names
}

TEST(MenuTable, ReportsBadLines)
{
    QStringList errors;
    const MenuTable table = MenuTable::parse("end\n"
                                             "57600\n"
                                             "toolbar T\n"
                                             "  popup &Datei\n"
                                             "  57601 Text\n"
                                             "  recent-files\n"
                                             "  57602\n"
                                             "end\n"
                                             "menu M\n"
                                             "  menu N\n"
                                             "  popup\n"
                                             "  popup &Datei\n"
                                             "    0\n"
                                             "    99999\n"
                                             "    Irgendwas Langes\n"
                                             "    57603\n"
                                             "  end\n"
                                             "end\n"
                                             "toolbar T\n"
                                             "end\n"
                                             "menu U\n"
                                             "  popup X\n"
                                             "    57604\n",
                                             &errors);
    EXPECT_EQ(errors.size(), 13) << errors.join(u'\n').toStdString();
    ASSERT_NE(table.toolbar(u"T"), nullptr);
    EXPECT_EQ(ids(*table.toolbar(u"T")), std::vector<int>{57602});
    ASSERT_NE(table.menu(u"M"), nullptr);
    EXPECT_EQ(ids(*table.menu(u"M")), std::vector<int>{57603});
    // Blocks left open at the end of the text are closed there.
    ASSERT_NE(table.menu(u"U"), nullptr);
    EXPECT_EQ(ids(*table.menu(u"U")), std::vector<int>{57604});
}

TEST(ProgramResources, TablesReadWithoutErrors)
{
    QStringList errors;
    const QByteArray strings = resource("strings.txt");
    const StringTable table = StringTable::parse(strings, &errors);
    CommandTable::parse(resource("commands.txt"), table, &errors);
    MenuTable::parse(resource("menus.txt"), &errors);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(u'\n').toStdString();
    EXPECT_GT(table.size(), 200);
    EXPECT_EQ(table.size(), StringTable::program().size());

    // One line per id, in ascending order, nothing else.
    const QList<QByteArray> lines = strings.split('\n');
    EXPECT_TRUE(strings.endsWith('\n'));
    EXPECT_EQ(lines.size() - 1, table.size());
    std::vector<int> order;
    for (const QByteArray &line : lines) {
        if (!line.isEmpty())
            order.push_back(line.left(line.indexOf('\t')).toInt());
    }
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
}

TEST(ProgramResources, TextsAreAsTheProgramShowsThem)
{
    EXPECT_EQ(LoadQString(303), QStringLiteral("Orvel-Dateien (*.ovd)|*.ovd|dBASE-Dateien (*.dbf)|*.dbf|"
                                               "SDF-Dateien (*.sdf)|*.sdf|Alle Dateien (*.*)|*.*|"
                                               "CSV-Dateien (*.csv)|*.csv||"));
    EXPECT_EQ(LoadQString(61699), QStringLiteral("Änderungen in %1 speichern?"));
    EXPECT_EQ(LoadQString(61700), QStringLiteral("Fehler beim Öffnen des Dokuments."));
    EXPECT_EQ(LoadQString(61842), QStringLiteral("\"Nachricht senden\" scheiterte beim Senden der Nachricht."));
    EXPECT_EQ(LoadQString(324), QStringLiteral("Wollen Sie das Datenfeld \"%1\" \nwirklich löschen?"));
    EXPECT_EQ(LoadQString(57671), QStringLiteral("Einstellungen"));
    EXPECT_EQ(LoadQString(59137), QStringLiteral("GROSS"));
    EXPECT_EQ(LoadQString(1020), QStringLiteral("Alpha "));

    const char *const typeNames[] = {"Zeichen", "Numerisch", "Datum", "Grafik", "Memo", "OLE", "Verknüpfung"};
    for (int code = 0; code < 7; ++code)
        EXPECT_EQ(LoadQString(400 + code), QString::fromUtf8(typeNames[code])) << code;
    EXPECT_EQ(LoadAnsiString(406), AnsiString("Verkn\xFCpfung"));

    const char *const pictures[] = {"(System)",    "dd.MM.yy", "dd.MM.yyyy", "dd.MMM.yy",
                                    "dd.MMM.yyyy", "dd.MM.",   "dd.MMM."};
    for (int format = 0; format < 7; ++format)
        EXPECT_EQ(LoadQString(1050 + format), QString::fromUtf8(pictures[format])) << format;

    // The messages the program adds to the table: the import and export notes and the file errors.
    for (int id = 523; id <= 539; ++id)
        EXPECT_FALSE(LoadQString(id).isEmpty()) << id;
}

TEST(ProgramResources, EveryCommandHasPromptAndOneKey)
{
    const CommandTable &commands = CommandTable::program();
    ASSERT_GT(commands.all().size(), 100u);
    std::set<QString> symbols;
    std::set<QString> keys;
    for (const Command &command : commands.all()) {
        EXPECT_FALSE(command.prompt.isEmpty()) << command.id;
        EXPECT_FALSE(command.toolTip.isEmpty()) << command.id;
        EXPECT_TRUE(symbols.insert(command.symbol).second) << command.symbol.toStdString();
        if (!command.key.isEmpty()) {
            EXPECT_TRUE(keys.insert(command.key).second) << "key used twice: " << command.key.toStdString();
        }
    }

    const Command *dial = commands.find(32803);
    ASSERT_NE(dial, nullptr);
    EXPECT_EQ(dial->prompt, QStringLiteral("Wählt die Telefonnummer im aktuellen Datenfeld."));
    EXPECT_EQ(dial->toolTip, QStringLiteral("Telefonnummer wählen"));
    EXPECT_EQ(commands.find(32786)->toolTip, QStringLiteral("Beginn (Strg+Pos1)"));
    EXPECT_EQ(commands.findBySymbol(u"ID_FILE_SAVE_AS")->key, QStringLiteral("Ctrl+S"));
    EXPECT_EQ(commands.find(32985)->key, QStringLiteral("Alt+Return"));
    EXPECT_EQ(commands.find(32977)->key, QStringLiteral("Ctrl+Num++"));
}

TEST(ProgramResources, MenusAndToolbarsUseKnownCommands)
{
    const CommandTable &commands = CommandTable::program();
    const MenuTable &menus = MenuTable::program();
    std::set<int> used;
    auto check = [&](const MenuEntry &root) {
        for (int id : root.commandIds()) {
            EXPECT_NE(commands.find(id), nullptr) << root.text.toStdString() << ": " << id;
            used.insert(id);
        }
    };
    for (const MenuEntry &menu : menus.menus())
        check(menu);
    for (const MenuEntry &bar : menus.toolbars())
        check(bar);
    // The verbs of embedded documents fill the "ole-verbs" entries.
    used.insert({57872, 57873});
    // A command with a menu text that no menu shows would be lost to the user.
    for (const Command &command : commands.all()) {
        if (!command.menuText.isEmpty()) {
            EXPECT_TRUE(used.count(command.id)) << command.id << " " << command.menuText.toStdString();
        }
    }
}

TEST(ProgramResources, MenusHaveTheirDesignedShape)
{
    const MenuTable &menus = MenuTable::program();
    const MenuEntry *main = menus.menu(u"MainMenu");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(popupTexts(*main), (std::vector<QString>{QStringLiteral("&Datei"), QStringLiteral("&Bearbeiten"),
                                                       QStringLiteral("Daten&satz"), QStringLiteral("Datenban&k"),
                                                       QStringLiteral("&Ansicht"), QStringLiteral("E&xtras"),
                                                       QStringLiteral("&Fenster"), QStringLiteral("&?")}));
    // Each menu of the bar is reached by a letter of its own.
    QSet<QChar> mnemonics;
    for (const QString &text : popupTexts(*main)) {
        const qsizetype at = text.indexOf(u'&');
        ASSERT_GE(at, 0) << text.toStdString();
        EXPECT_FALSE(mnemonics.contains(text.at(at + 1).toLower())) << text.toStdString();
        mnemonics.insert(text.at(at + 1).toLower());
    }
    const MenuEntry *design = menus.menu(u"DesignMenu");
    ASSERT_NE(design, nullptr);
    EXPECT_EQ(design->popup(u"Daten&satz"), nullptr);
    ASSERT_NE(design->popup(u"&Objekt"), nullptr);
    EXPECT_EQ(ids(*design->popup(u"&Einfügen")),
              (std::vector<int>{32970, 32859, 32864, 32971, 32972, 32973, 32974, 32982, 32874, 57856}));

    // Context menus are picked by index: the object's menu index names the pop-up.
    const MenuEntry *context = menus.menu(u"Context");
    ASSERT_NE(context, nullptr);
    ASSERT_EQ(context->children.size(), 12u);
    const char *const byIndex[] = {"DrawObj",       "DrawOLE",     "DrawPic",     "DrawText",    "DesignNoObj",
                                   "DrawEditShell", "DrawEditOLE", "DrawEditPic", "DrawEditMemo"};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(context->children[3 + i].text, QString::fromLatin1(byIndex[i])) << i;
    EXPECT_EQ(ids(context->children[0]), (std::vector<int>{57635, 57634, 57637, 32772, 32774, 32876, 32803}));
    const MenuEntry *data = menus.menu(u"DataContext");
    ASSERT_NE(data, nullptr);
    ASSERT_EQ(data->children.size(), 12u);
    EXPECT_EQ(ids(data->children[1]), (std::vector<int>{32891, 32892, 32893, 32894, 32895, 32896}));

    const MenuEntry *standard = menus.toolbar(u"Standard");
    ASSERT_NE(standard, nullptr);
    std::vector<int> buttons;
    for (const MenuEntry &entry : standard->children)
        buttons.push_back(entry.kind == MenuEntry::Kind::Separator ? 0 : entry.id);
    EXPECT_EQ(buttons,
              (std::vector<int>{57600, 57601, 57603, 0,     57607, 57609, 32806, 0, 57635, 57634, 57637, 57643, 57644,
                                32772, 32774, 0,     32778, 32775, 0,     32803, 0, 32802, 32858, 0,     57664}));
    // Undo and redo head the edit menu of the list and of the designer,
    // a separator after them.
    for (const MenuEntry *bar : {main, design}) {
        const MenuEntry *edit = bar->popup(u"&Bearbeiten");
        ASSERT_NE(edit, nullptr);
        ASSERT_GE(edit->children.size(), 3u);
        EXPECT_EQ(edit->children[0].id, 57643);
        EXPECT_EQ(edit->children[1].id, 57644);
        EXPECT_EQ(edit->children[2].kind, MenuEntry::Kind::Separator);
    }
    EXPECT_EQ(ids(*menus.toolbar(u"Steuerung")), (std::vector<int>{32786, 32787, 32788, 32789, 32805}));
    EXPECT_EQ(ids(*menus.toolbar(u"Formulardesign")),
              (std::vector<int>{32970, 32859, 32864, 32971, 32972, 32973, 32974, 32982, 32874, 57856}));
}
