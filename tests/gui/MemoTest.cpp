// The memo dialog: opened from a memo field on the form and from the list,
// reading and writing text files, printing, and what OK and cancelling do
// to the record.
#include "AppTestSupport.h"
#include "DialogDriver.h"
#include "document/DocumentTestSupport.h"

#include "app/ui/DChildWnd.h"
#include "form/DrawEdit.h"
#include "form/FormObjects.h"
#include "form/ui/DataFieldControl.h"
#include "form/ui/FormDesigner.h"
#include "form/ui/FormView.h"
#include "listview/ListGrid.h"
#include "listview/OrvelView.h"
#include "media/MemoStore.h"
#include "media/MemoText.h"
#include "media/ui/MemoDialog.h"
#include "media/ui/MemoEdit.h"
#include "platform/Codepage.h"
#include "print/ui/MemoPrintJob.h"
#include "print/ui/SessionPrinter.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "table/DataRecord.h"
#include "table/FieldType.h"
#include "table/ObjectStore.h"

#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace orvel;
using namespace orvel::test;

namespace {

QString PdfText(const QString &pdf)
{
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(text.waitForFinished(30000));
    return QString::fromUtf8(text.readAllStandardOutput());
}

class MemoDialogTest : public testing::Test
{
protected:
    void SetUp() override { dir = MakeScratchDir(); }
    QString path(const char *name) const { return dir + QLatin1Char('/') + QString::fromUtf8(name); }

    ScriptedServices scripted;
    ScopedServices scope{&scripted};
    PageSettings page;
    QString dir;
};

TEST_F(MemoDialogTest, AnUntouchedMemoKeepsItsBytesAndAnEditedOneIsStoredWithCrLf)
{
    // Line ends of every kind, as files from elsewhere may hold them.
    const AnsiString memo = "Gr\xFC\xDF"
                            "e\r\naus\rK\xF6ln\n";
    MemoDialog dialog(memo, page);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Memofeld"));
    EXPECT_EQ(dialog.Editor()->toPlainText(), QStringLiteral("Grüße\naus\nKöln\n"));
    EXPECT_FALSE(dialog.IsChanged());
    EXPECT_EQ(dialog.Memo(), memo);
    EXPECT_EQ(dialog.ReadButton()->text(), QStringLiteral("&Text einlesen..."));
    EXPECT_EQ(dialog.SaveButton()->text(), QStringLiteral("Text als &Datei speichern..."));
    EXPECT_EQ(dialog.PrintButton()->text(), QStringLiteral("&Drucken..."));
    EXPECT_EQ(dialog.OkButton()->text(), QStringLiteral("OK"));

    dialog.Editor()->moveCursor(QTextCursor::End);
    dialog.Editor()->insertPlainText(QStringLiteral("Ende"));
    EXPECT_TRUE(dialog.IsChanged());
    EXPECT_EQ(dialog.Memo(), "Gr\xFC\xDF"
                             "e\r\naus\r\nK\xF6ln\r\nEnde");

    // Pasted text that Windows-1252 cannot hold arrives as "?".
    QApplication::clipboard()->setText(QStringLiteral(" → ✓ €\r\nneu"));
    dialog.Editor()->paste();
    EXPECT_EQ(dialog.Editor()->toPlainText(), QStringLiteral("Grüße\naus\nKöln\nEnde ? ? €\nneu"));
    EXPECT_EQ(dialog.Memo(), "Gr\xFC\xDF"
                             "e\r\naus\r\nK\xF6ln\r\nEnde ? ? \x80\r\nneu");

    dialog.show();
    QCoreApplication::processEvents();
    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        EXPECT_TRUE(dialog.grab().save(shots + QStringLiteral("/orvel-memo-dialog.png")));
    }
}

TEST_F(MemoDialogTest, ReadingATextFileConvertsItAndNamesWhatTheMemoCannotHold)
{
    const QString utf8 = path("notiz.txt");
    WriteAll(utf8, QByteArray("\xEF\xBB\xBFPfeil \xE2\x86\x92 und Haken \xE2\x9C\x93\xE2\x9C\x93 in K\xC3\xB6ln\r\n"));
    const QString ansi = path("alt.txt");
    WriteAll(ansi, QByteArray("Gr\xFC\xDF"
                              "e\r\n"));

    MemoDialog dialog("Anfang [x] Schluss", page);
    // The file takes the place of the selection.
    QTextCursor cursor = dialog.Editor()->textCursor();
    cursor.setPosition(7);
    cursor.setPosition(10, QTextCursor::KeepAnchor);
    dialog.Editor()->setTextCursor(cursor);
    scripted.queueFileName(utf8);
    dialog.ReadButton()->click();
    EXPECT_EQ(dialog.Editor()->toPlainText(), QStringLiteral("Anfang Pfeil ? und Haken ?? in Köln\n Schluss"));
    ASSERT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgMemoCharactersReplaced});
    const QString message = scripted.messages().front().text;
    EXPECT_TRUE(message.contains(QStringLiteral("enthält 3 Zeichen"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("„→“ (U+2192), „✓“ (U+2713)"))) << message.toStdString();
    EXPECT_TRUE(message.contains(utf8));

    scripted.clear();
    dialog.Editor()->selectAll();
    ASSERT_TRUE(dialog.InsertTextFile(ansi));
    EXPECT_EQ(dialog.Editor()->toPlainText(), QStringLiteral("Grüße\n"));
    EXPECT_TRUE(scripted.messages().empty());

    // A file that is not there: message 504, nothing changes.
    EXPECT_FALSE(dialog.InsertTextFile(path("fehlt.txt")));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgMemoNotRead});
    EXPECT_EQ(dialog.Editor()->toPlainText(), QStringLiteral("Grüße\n"));
}

TEST_F(MemoDialogTest, BinaryAndHugeFilesAreReadOnlyAfterAskingYes)
{
    const QString binary = path("bild.png");
    WriteAll(binary, QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    MemoDialog dialog("", page);
    scripted.queueAnswer(MsgResult::No);
    EXPECT_FALSE(dialog.InsertTextFile(binary));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgMemoFileNotText});
    EXPECT_EQ(scripted.messages().front().icon, MsgIcon::Question);
    EXPECT_TRUE(dialog.Editor()->toPlainText().isEmpty());
    scripted.queueAnswer(MsgResult::Yes);
    EXPECT_TRUE(dialog.InsertTextFile(binary));
    EXPECT_TRUE(dialog.Editor()->toPlainText().startsWith(QStringLiteral("\u2030PNG")));

    // Larger than 16 MiB: asked first, and "Nein" reads nothing.
    const QString huge = path("gross.txt");
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.write("Text\n", 5) == 5);
        ASSERT_TRUE(file.resize(kLargeTextFileSize + 1024 * 1024));
    }
    scripted.clear();
    dialog.Editor()->clear();
    scripted.queueAnswer(MsgResult::Yes);
    scripted.queueAnswer(MsgResult::No);
    EXPECT_FALSE(dialog.InsertTextFile(huge));
    ASSERT_EQ(scripted.messageIds().size(), 2u);
    // The sparse rest of the file is NUL bytes: it is not text either.
    EXPECT_EQ(scripted.messageIds().back(), ids::kMsgMemoFileLarge);
    EXPECT_TRUE(scripted.messages().back().text.contains(QStringLiteral("17 MB")));
    EXPECT_TRUE(dialog.Editor()->toPlainText().isEmpty());
}

TEST_F(MemoDialogTest, SavingWritesUtf8AndReplacesAFileOnlyWhenComplete)
{
    MemoDialog dialog("Gr\xFC\xDF"
                      "e\r\naus K\xF6ln \x80",
                      page);
    const QString target = path("memo.txt");
    WriteAll(target, "alter Inhalt, der ersetzt wird");
    scripted.queueFileName(target);
    dialog.SaveButton()->click();
    EXPECT_EQ(ReadAll(target), QByteArray("Gr\xC3\xBC\xC3\x9F"
                                          "e\naus K\xC3\xB6ln \xE2\x82\xAC"));
    EXPECT_TRUE(scripted.messages().empty());
    EXPECT_EQ(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("memo.txt")});

    // A folder that is not there: message 503.
    EXPECT_FALSE(dialog.WriteTextFile(path("fehlt/memo.txt")));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgMemoNotWritten});
}

TEST_F(MemoDialogTest, PrintingPutsTheLinesOnPagesWithinTheMargins)
{
    AnsiString memo;
    for (int i = 1; i <= 150; ++i)
        memo += "Zeile " + std::to_string(i) + " mit \xC4rger und \xDC" + "bermut\r\n";
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A4));
    const QString pdf = path("memo.pdf");
    printer.setOutputFileName(pdf);
    page.marginLeft = page.marginTop = page.marginRight = page.marginBottom = 20;
    ASSERT_TRUE(PrintMemoPages(printer, memo, page));
    EXPECT_EQ(printer.docName(), QStringLiteral("Orvel97: Memo"));
    const QString text = PdfText(pdf);
    const QStringList pages = text.split(u'\f', Qt::SkipEmptyParts);
    EXPECT_GE(pages.size(), 2);
    EXPECT_TRUE(pages.front().contains(QStringLiteral("Zeile 1 mit Ärger und Übermut"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Zeile 150 mit Ärger und Übermut")));
    // With ORVEL_SCREENSHOT_DIR set the printout is kept there.
    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (!shots.isEmpty())
        QFile::copy(pdf, shots + QStringLiteral("/orvel-memo-print.pdf"));

    // Through the dialog's button and the print dialog.
    QPrinter &session = SessionPrinter::Instance().Printer();
    session.setOutputFormat(QPrinter::PdfFormat);
    const QString viaButton = path("knopf.pdf");
    session.setOutputFileName(viaButton);
    MemoDialog dialog("Kurzer Text", page);
    WhenShown<QPrintDialog>([](QPrintDialog &print) { print.accept(); });
    dialog.PrintButton()->click();
    EXPECT_TRUE(PdfText(viaButton).contains(QStringLiteral("Kurzer Text")));
}

// A database with a memo field, shown as a form in data mode and as a list.
class MemoFieldTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CFormDesigner::Tools() = {};
        dir = MakeScratchDir();
        AddField(doc, "Titel");
        AddField(doc, "Liedtext", FT_MEMO);
        AddRecord(doc, {"Erstes Lied", ""});
        AddRecord(doc, {"Zweites Lied", ""});
        doc.CreateDefaultForm();
        doc.SetModifiedFlag(false);
    }
    void open()
    {
        form = std::make_unique<COrvelView>(doc, nullptr, nullptr, false);
        form->resize(640, 480);
        form->show();
        form->OnInitialUpdate();
        list = std::make_unique<COrvelView>(doc, nullptr, nullptr, true);
        list->resize(400, 300);
        list->show();
        list->OnInitialUpdate();
        QCoreApplication::processEvents();
    }
    CFormDesigner &designer() const { return form->GetFormView()->Designer(); }
    AnsiString value(int record) const { return AnsiString(doc.GetTable().GetRecord(record)->GetRawValue(1)); }
    std::optional<AnsiString> memo(int record) const { return ReadMemo(doc.GetWorkingStorePath(), value(record)); }
    bool run(int id) { return form->OnCmdMsg(id, nullptr); }
    bool enabled(int id)
    {
        CCmdUI ui(id);
        return form->OnCmdMsg(id, &ui) && ui.IsEnabled();
    }
    // Types the text into the memo dialog's editor (after what is there)
    // and confirms.
    static void typeAndConfirm(const QString &text)
    {
        WhenShown<MemoDialog>([text](MemoDialog &dialog) {
            dialog.Editor()->moveCursor(QTextCursor::End);
            dialog.Editor()->insertPlainText(text);
            QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
        });
    }

    ScriptedServices scripted;
    ScopedServices scope{&scripted};
    COrvelDoc doc;
    std::unique_ptr<COrvelView> form;
    std::unique_ptr<COrvelView> list;
    QString dir;
};

TEST_F(MemoFieldTest, TheMemoButtonOpensTheDialogAndOkStoresTheText)
{
    open();
    EXPECT_FALSE(enabled(ID_FIELD_EDIT_MEMO));
    designer().Select(doc.GetForm().FindDataField(1));
    ASSERT_NE(designer().GetEditor(), nullptr);
    auto *button = qobject_cast<QPushButton *>(designer().GetEditor()->Widget());
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isEnabled());
    EXPECT_TRUE(enabled(ID_FIELD_EDIT_MEMO));

    std::vector<UpdateHint> heard;
    const int listener = doc.AddHintListener([&](const UpdateHint &hint) { heard.push_back(hint); });
    typeAndConfirm(QStringLiteral("Erste Strophe\nZweite Zeile"));
    button->click();
    doc.RemoveHintListener(listener);
    // An empty memo gets its first object.
    EXPECT_EQ(value(0), "10");
    EXPECT_EQ(memo(0), AnsiString("Erste Strophe\r\nZweite Zeile"));
    EXPECT_TRUE(doc.IsModified());
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.back().kind, Hint::RecordChanged);
    EXPECT_EQ(heard.back().record, 0);
    EXPECT_EQ(heard.back().field, 1);

    // Cancelled, or confirmed without a change: the record stays as it is.
    doc.SetModifiedFlag(false);
    WhenShown<MemoDialog>([](MemoDialog &dialog) {
        dialog.Editor()->insertPlainText(QStringLiteral("verworfen"));
        dialog.reject();
    });
    ASSERT_TRUE(run(ID_FIELD_EDIT_MEMO));
    WhenShown<MemoDialog>([](MemoDialog &dialog) { dialog.accept(); });
    ASSERT_TRUE(run(CFormDesigner::kOpenMemo));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(memo(0), AnsiString("Erste Strophe\r\nZweite Zeile"));

    // A shorter text takes the object's place.
    WhenShown<MemoDialog>([](MemoDialog &dialog) {
        dialog.Editor()->setPlainText(QStringLiteral("Kurz"));
        dialog.accept();
    });
    ASSERT_TRUE(run(ID_FIELD_EDIT_MEMO));
    EXPECT_EQ(value(0), "10");
    EXPECT_EQ(memo(0), AnsiString("Kurz"));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_TRUE(scripted.messages().empty());
}

TEST_F(MemoFieldTest, ALongMemoIsKeptWholeThroughTheDialog)
{
    AnsiString text;
    while (text.size() < 40000)
        text += "Eine Zeile des langen Memos mit \xE4, \xF6 und \xFC.\r\n";
    text.resize(40000);
    // Cut in a line end, a lone CR would come back as CR LF.
    text.back() = '.';
    const AnsiString reference = WriteMemo(doc.GetWorkingStorePath(), "", text);
    doc.GetTable().GetRecord(0)->SetRawValue(reference, 1);
    open();
    designer().Select(doc.GetForm().FindDataField(1));
    std::size_t shown = 0;
    WhenShown<MemoDialog>([&shown](MemoDialog &dialog) {
        shown = std::size_t(dialog.Editor()->toPlainText().size());
        dialog.accept();
    });
    ASSERT_TRUE(run(ID_FIELD_EDIT_MEMO));
    EXPECT_GT(shown, 38000u);
    EXPECT_FALSE(doc.IsModified());

    typeAndConfirm(QStringLiteral("!"));
    ASSERT_TRUE(run(ID_FIELD_EDIT_MEMO));
    const auto stored = memo(0);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->size(), 40001u);
    EXPECT_EQ(*stored, text + "!");

    // Saved, saved under a new name (which compacts the objects) and
    // opened again, the memo is the same.
    const QString saved = dir + QStringLiteral("/Lieder.ovd");
    ASSERT_TRUE(doc.Save(saved, 1, false));
    const QString copy = dir + QStringLiteral("/Kopie.ovd");
    ASSERT_TRUE(doc.Save(copy, 1, true));
    for (const QString &file : {saved, copy}) {
        COrvelDoc reopened;
        ASSERT_TRUE(reopened.Open(file));
        EXPECT_EQ(ReadMemo(reopened.GetWorkingStorePath(), reopened.GetTable().GetRecord(0)->GetRawValue(1)),
                  text + "!");
    }
    EXPECT_LT(QFileInfo(dir + QStringLiteral("/Kopie.dbo")).size(),
              QFileInfo(dir + QStringLiteral("/Lieder.dbo")).size());
}

TEST_F(MemoFieldTest, AMemoThatCannotBeReadOpensNothing)
{
    doc.GetTable().GetRecord(0)->SetRawValue("123456", 1);
    open();
    designer().Select(doc.GetForm().FindDataField(1));
    // Were the dialog to open, it would confirm an empty text.
    QTimer::singleShot(0, [] {
        if (auto *dialog = qobject_cast<MemoDialog *>(QApplication::activeModalWidget()))
            dialog->accept();
    });
    ASSERT_TRUE(run(ID_FIELD_EDIT_MEMO));
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgMemoNotRead});
    EXPECT_EQ(value(0), "123456");
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(MemoFieldTest, AMemoCellInTheListOpensOnEnterAndDoubleClickButNotOnTyping)
{
    open();
    list->SetCurrentCell(1, 1);
    CListGrid *grid = list->GetGrid();
    ASSERT_NE(grid, nullptr);
    typeAndConfirm(QStringLiteral("Aus der Liste"));
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(memo(1), AnsiString("Aus der Liste"));
    EXPECT_TRUE(doc.IsModified());

    const RECT cell = grid->Geometry().cellRect(1, 1);
    typeAndConfirm(QStringLiteral(", zweimal"));
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {},
                       QPoint((cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2));
    EXPECT_EQ(memo(1), AnsiString("Aus der Liste, zweimal"));

    bool opened = false;
    QTimer::singleShot(0, [&opened] {
        if (auto *dialog = qobject_cast<MemoDialog *>(QApplication::activeModalWidget())) {
            opened = true;
            dialog->reject();
        }
    });
    QTest::keyClick(grid, Qt::Key_X);
    QCoreApplication::processEvents();
    EXPECT_FALSE(opened);
    EXPECT_EQ(memo(1), AnsiString("Aus der Liste, zweimal"));
}

// The memos of a file as the command-line tool reads them.
QJsonArray DumpedMemos(const QString &file, int field)
{
    QProcess cli;
    cli.start(qEnvironmentVariable("ORVEL_CLI"), {QStringLiteral("dump"), file, QStringLiteral("--memos")});
    EXPECT_TRUE(cli.waitForFinished(30000));
    QJsonArray memos;
    const QJsonArray records =
            QJsonDocument::fromJson(cli.readAllStandardOutput()).object().value(QStringLiteral("records")).toArray();
    for (const QJsonValue &record : records)
        memos.append(record.toObject().value(QStringLiteral("values")).toArray().at(field));
    return memos;
}

// In the program: a memo edited in the list, saved, saved under a new name
// and opened again, as the command-line tool sees the files.
TEST_F(AppTest, AMemoEditedInTheProgramIsInTheSavedFilesAndComesBackWhenOpened)
{
    const QString file = path("lieder.ovd");
    {
        COrvelDoc doc;
        AddField(doc, "Titel");
        AddField(doc, "Liedtext", FT_MEMO);
        AddRecord(doc, {"Abendlied", ""});
        AddRecord(doc, {"Morgenlied", ""});
        ASSERT_TRUE(doc.Save(file, 1, true));
    }
    start({file});
    COrvelView &view = *frame().GetActiveChild()->GetView();
    COrvelDoc &doc = view.GetDocument();
    view.SetCurrentCell(1, 1);
    AnsiString text;
    while (text.size() < 40000)
        text += "Der Mond ist aufgegangen, die goldnen Sternlein prangen \xE4\xF6\xFC\xDF.\r\n";
    WhenShown<MemoDialog>([&text](MemoDialog &dialog) {
        dialog.Editor()->setPlainText(MemoToEditorText(text));
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    });
    QTest::keyClick(view.GetGrid(), Qt::Key_Return);
    EXPECT_TRUE(doc.IsModified());

    ASSERT_TRUE(router().Execute(ID_FILE_SAVE));
    EXPECT_FALSE(doc.IsModified());
    QJsonArray memos = DumpedMemos(file, 1);
    ASSERT_EQ(memos.size(), 2);
    EXPECT_EQ(memos[0].toString(), QString());
    EXPECT_EQ(memos[1].toString(), AnsiToQString(text));

    const QString copy = path("kopie.ovd");
    scripted.queueFileName(copy);
    ASSERT_TRUE(router().Execute(ID_FILE_SAVE_AS));
    EXPECT_EQ(doc.GetPathName(), copy);
    memos = DumpedMemos(copy, 1);
    ASSERT_EQ(memos.size(), 2);
    EXPECT_EQ(memos[1].toString(), AnsiToQString(text));
    // Each memo once: the compacted object file holds just this one.
    EXPECT_EQ(QFileInfo(path("kopie.dbo")).size(), qint64(10 + 4 + text.size()));

    docs().CloseAllDocuments();
    scripted.queueFileName(copy);
    ASSERT_TRUE(router().Execute(ID_FILE_OPEN));
    COrvelDoc &reopened = frame().GetActiveChild()->GetView()->GetDocument();
    EXPECT_EQ(ReadMemo(reopened.GetWorkingStorePath(), reopened.GetTable().GetRecord(1)->GetRawValue(1)), text);
    EXPECT_TRUE(scripted.messages().empty());
}

} // namespace
