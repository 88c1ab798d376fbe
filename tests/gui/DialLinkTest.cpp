// "Nummer wählen" and link fields: the dial dialog and the "tel:" address
// handed to the desktop, the link dialog, and what pressing a link button
// opens, asks or refuses.
#include "AppTestSupport.h"
#include "DialogDriver.h"

#include "form/DrawEdit.h"
#include "form/FormObjects.h"
#include "form/ui/DataFieldControl.h"
#include "form/ui/FormDesigner.h"
#include "form/ui/FormView.h"
#include "listview/OrvelView.h"
#include "media/ui/DialDialog.h"
#include "media/ui/LinkDialog.h"
#include "media/ui/LinkLauncher.h"
#include "media/ui/TelephoneDialer.h"
#include "platform/Codepage.h"
#include "resources/CommandIds.h"
#include "resources/StringIds.h"
#include "table/FieldType.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <optional>

using namespace orvel;
using namespace orvel::test;

namespace {

// Writes an executable shell script.
void writeScript(const QString &path, const QByteArray &body)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("#!/bin/sh\n" + body);
    file.close();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void touch(const QString &path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

QByteArray waitForFile(const QString &path)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = file.readAll();
            if (bytes.endsWith("end\n"))
                return bytes;
        }
        QTest::qWait(20);
    }
    return QByteArray();
}

// Pictures of the dialogs for a person to look at, when asked for.
void grab(QWidget &widget, const char *name)
{
    const QString shots = qEnvironmentVariable("ORVEL_SCREENSHOT_DIR");
    if (!shots.isEmpty()) {
        EXPECT_TRUE(widget.grab().save(shots + u'/' + QLatin1StringView(name)));
    }
}

// What the program handed to the desktop and the programs it started,
// instead of doing it.
struct Outside
{
    bool telHandler = true;
    bool openSucceeds = true;
    bool startSucceeds = true;
    QString prefix;
    std::vector<QUrl> opened;
    struct Start
    {
        QString program;
        QStringList arguments;
        QString folder;
    };
    std::vector<Start> started;

    Outside()
    {
        TelephoneDialer::Hooks &dial = TelephoneDialer::hooks();
        dial.hasTelHandler = [this] { return telHandler; };
        dial.openUrl = [this](const QUrl &url) { return record(url); };
        dial.prefix = [this] { return prefix; };
        LinkLauncher::Hooks &link = LinkLauncher::hooks();
        link.openUrl = [this](const QUrl &url) { return record(url); };
        link.startProgram = [this](const QString &program, const QStringList &arguments, const QString &folder) {
            started.push_back({program, arguments, folder});
            return startSucceeds;
        };
    }
    ~Outside()
    {
        TelephoneDialer::resetHooks();
        LinkLauncher::resetHooks();
    }
    bool record(const QUrl &url)
    {
        opened.push_back(url);
        return openSucceeds;
    }
};

// ---- dialling ----

class DialTest : public testing::Test
{
protected:
    ScriptedServices scripted;
    ScopedServices scope{&scripted};
    Outside outside;
};

TEST_F(DialTest, TheHandlerAndTheDesktopDecideWhetherTheCallIsMade)
{
    struct Case
    {
        const char *prefix;
        const char *number;
        bool handler;
        bool opens;
        const char *url; // null: message 517 and nothing dialled
    };
    const Case cases[] = {
            {"0", "0761 123456", true, true, "tel:00761123456"},
            {"0", "0761 123456", false, true, nullptr}, // nothing handles "tel:"
            {"0", "0761 123456", true, false, nullptr}, // the desktop refuses
            {"0", "Zentrale", true, true, nullptr},     // no digit: the prefix alone is no call
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.number);
        scripted.clear();
        outside.opened.clear();
        outside.prefix = QString::fromUtf8(c.prefix);
        outside.telHandler = c.handler;
        outside.openSucceeds = c.opens;
        const bool dialled = TelephoneDialer::Dial(QString::fromUtf8(c.number), QStringLiteral("Müller"));
        EXPECT_EQ(dialled, c.url != nullptr);
        if (c.url) {
            ASSERT_EQ(outside.opened.size(), 1u);
            EXPECT_EQ(outside.opened.front().toString(QUrl::FullyEncoded), QString::fromUtf8(c.url));
            EXPECT_TRUE(scripted.messages().empty());
        } else {
            EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgDialFailed});
            EXPECT_EQ(scripted.messages().front().icon, MsgIcon::Stop);
        }
    }
}

// xdg-mime stand-ins on the PATH, as the desktop would answer.
class XdgMimeTest : public DialTest
{
protected:
    void SetUp() override
    {
        dir = MakeScratchDir();
        oldPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(dir));
    }
    void TearDown() override { qputenv("PATH", oldPath); }
    void fake(const QByteArray &body)
    {
        writeScript(dir + QStringLiteral("/xdg-mime"),
                    "printf '%s\\n' \"$@\" > \"" + QFile::encodeName(dir) + "/asked\"\n" + body);
    }

    QString dir;
    QByteArray oldPath;
};

TEST_F(XdgMimeTest, TheHandlerIsAskedOfXdgMimeOnThePath)
{
    struct Case
    {
        const char *script;
        bool handler;
    };
    const Case cases[] = {
            {"echo org.example.Softphone.desktop\n", true},
            {"exit 0\n", false},                 // no default handler
            {"echo x.desktop\nexit 4\n", false}, // xdg-mime failed
            {"echo '   '\n", false},             // blanks name nothing
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.script);
        fake(c.script);
        EXPECT_EQ(TelephoneDialer::QueryTelHandler(), c.handler);
        QFile asked(dir + QStringLiteral("/asked"));
        ASSERT_TRUE(asked.open(QIODevice::ReadOnly));
        EXPECT_EQ(asked.readAll(), QByteArray("query\ndefault\nx-scheme-handler/tel\n"));
    }
    QFile::remove(dir + QStringLiteral("/xdg-mime"));
    EXPECT_FALSE(TelephoneDialer::QueryTelHandler());
}

TEST_F(XdgMimeTest, WithoutAHandlerTheDialReportsAndOpensNothing)
{
    fake("exit 0\n");
    TelephoneDialer::hooks().hasTelHandler = [] { return TelephoneDialer::QueryTelHandler(); };
    EXPECT_FALSE(TelephoneDialer::Dial(QStringLiteral("0761 1"), QString()));
    EXPECT_TRUE(outside.opened.empty());
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgDialFailed});

    fake("echo org.example.Softphone.desktop\n");
    scripted.clear();
    EXPECT_TRUE(TelephoneDialer::Dial(QStringLiteral("0761 1"), QString()));
    EXPECT_EQ(outside.opened.size(), 1u);
    EXPECT_TRUE(scripted.messages().empty());
}

class DialCommandTest : public AppTest
{
protected:
    COrvelView &view() { return *frame().GetActiveChild()->GetView(); }
    Outside outside;
};

TEST_F(DialCommandTest, TheDialogOffersTheCurrentNumberAndTheNameAndDialsWithThePrefix)
{
    Registry::WriteProfileString(QStringLiteral("Settings"), QStringLiteral("DialPrefix"), QStringLiteral("0"));
    // The prefix as the program reads it, the desktop as recorded.
    const TelephoneDialer::Hooks recording = TelephoneDialer::hooks();
    TelephoneDialer::resetHooks();
    TelephoneDialer::hooks().hasTelHandler = recording.hasTelHandler;
    TelephoneDialer::hooks().openUrl = recording.openUrl;
    start({writeSampleDatabase("telefon.ovd")});
    view().SetCurrentCell(1, 2);
    ASSERT_TRUE(enabled(ID_RECORD_DIAL));

    WhenShown<DialDialog>([](DialDialog &dialog) {
        EXPECT_EQ(dialog.Number(), QStringLiteral("089 987654"));
        EXPECT_EQ(dialog.Name(), QStringLiteral("Schäfer"));
        EXPECT_TRUE(dialog.OkButton()->isEnabled());
        grab(dialog, "orvel-dial-dialog.png");
        dialog.NumberEdit()->clear();
        EXPECT_FALSE(dialog.OkButton()->isEnabled());
        dialog.NumberEdit()->setText(QStringLiteral("089 / 98 76-54"));
        QTest::mouseClick(dialog.OkButton(), Qt::LeftButton);
    });
    router().Execute(ID_RECORD_DIAL);
    ASSERT_EQ(outside.opened.size(), 1u);
    EXPECT_EQ(outside.opened.front().toString(), QStringLiteral("tel:0089987654"));
    EXPECT_TRUE(scripted.messages().empty());

    // Cancelled: nothing is dialled.
    WhenShown<DialDialog>([](DialDialog &dialog) { dialog.reject(); });
    router().Execute(ID_RECORD_DIAL);
    EXPECT_EQ(outside.opened.size(), 1u);

    // In the form too, not in its design.
    router().Execute(ID_VIEW_LIST_FORM);
    EXPECT_TRUE(enabled(ID_RECORD_DIAL));
    router().Execute(ID_VIEW_FORM_DESIGN);
    EXPECT_FALSE(enabled(ID_RECORD_DIAL));
}

// ---- opening links ----

class LinkLauncherTest : public testing::Test
{
protected:
    void SetUp() override
    {
        dir = MakeScratchDir();
        database = dir + QStringLiteral("/adressen.ovd");
    }
    LinkOutcome open(const char *value) { return LinkLauncher::Open(value, database); }

    ScriptedServices scripted;
    ScopedServices scope{&scripted};
    Outside outside;
    QString dir;
    QString database;
};

TEST_F(LinkLauncherTest, DocumentsAndAddressesGoToTheDesktopWithoutAQuestion)
{
    touch(dir + QStringLiteral("/brief.txt"));
    // Characters a shell would act on stay part of the one file name.
    const QString odd = dir + QStringLiteral("/a;b $(touch pwned) & `id`.txt");
    touch(odd);
    EXPECT_EQ(open("Brief,brief.txt,,"), LinkOutcome::Opened);
    EXPECT_EQ(open("Komisch,a;b $(touch pwned) & `id`.txt,,open"), LinkOutcome::Opened);
    EXPECT_EQ(open("Web,https://www.example.org/seite?a=1,,"), LinkOutcome::Opened);
    ASSERT_EQ(outside.opened.size(), 3u);
    EXPECT_EQ(outside.opened[0], QUrl::fromLocalFile(dir + QStringLiteral("/brief.txt")));
    EXPECT_EQ(outside.opened[1].toLocalFile(), odd);
    EXPECT_EQ(outside.opened[2], QUrl(QStringLiteral("https://www.example.org/seite?a=1")));
    EXPECT_TRUE(scripted.messages().empty());
    EXPECT_TRUE(outside.started.empty());
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/pwned")));
}

TEST_F(LinkLauncherTest, AMissingFileIsReportedAndNothingElseStarts)
{
    EXPECT_EQ(open("Fehlt,weg.txt,,"), LinkOutcome::EditLink);
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgFileNotFound});
    EXPECT_TRUE(scripted.messages().front().text.contains(dir + QStringLiteral("/weg.txt")));
    EXPECT_TRUE(outside.opened.empty());
    EXPECT_TRUE(outside.started.empty());
    // An incomplete value asks for the dialog without a word.
    scripted.clear();
    EXPECT_EQ(open("Nur Beschriftung"), LinkOutcome::EditLink);
    EXPECT_TRUE(scripted.messages().empty());
}

TEST_F(LinkLauncherTest, ProgramsStartOnlyAfterTheUserSaysYes)
{
    const QString program = dir + QStringLiteral("/werkzeug");
    writeScript(program, "exit 0\n");
    struct Case
    {
        MsgResult answer;
        LinkOutcome outcome;
        size_t started;
    };
    for (const Case &c :
         {Case{MsgResult::No, LinkOutcome::Declined, 0}, Case{MsgResult::Yes, LinkOutcome::Opened, 1}}) {
        scripted.clear();
        outside.started.clear();
        scripted.queueAnswer(c.answer);
        EXPECT_EQ(open("Werkzeug,werkzeug,--datei \"Brief an Anna.txt\" ;rm,"), c.outcome);
        ASSERT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgConfirmRunLink});
        // The question names the program.
        EXPECT_TRUE(scripted.messages().front().text.contains(program));
        EXPECT_EQ(scripted.messages().front().buttons, MsgButtons::YesNo);
        ASSERT_EQ(outside.started.size(), c.started);
    }
    EXPECT_EQ(outside.started.front().program, program);
    EXPECT_EQ(outside.started.front().arguments,
              (QStringList{QStringLiteral("--datei"), QStringLiteral("Brief an Anna.txt"), QStringLiteral(";rm")}));
    EXPECT_EQ(outside.started.front().folder, dir);
    EXPECT_TRUE(outside.opened.empty());

    // A program that will not start: reported, then the dialog.
    scripted.clear();
    outside.startSucceeds = false;
    EXPECT_EQ(open("Werkzeug,werkzeug,,"), LinkOutcome::EditLink);
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{ids::kMsgConfirmRunLink, ids::kMsgCannotOpen}));

    // Scripts the desktop would run and unusual addresses are asked about
    // as well.
    touch(dir + QStringLiteral("/start.sh"));
    for (const char *value : {"Skript,start.sh,,", "Spiel,steam://run/1,,"}) {
        SCOPED_TRACE(value);
        scripted.clear();
        outside.opened.clear();
        scripted.queueAnswer(MsgResult::No);
        EXPECT_EQ(open(value), LinkOutcome::Declined);
        EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgConfirmRunLink});
        EXPECT_TRUE(outside.opened.empty());
    }
}

TEST_F(LinkLauncherTest, AStartedProgramGetsEachParameterAsOneArgumentWithoutAShell)
{
    // The real start, into a program that writes down its arguments.
    LinkLauncher::resetHooks();
    LinkLauncher::hooks().openUrl = [this](const QUrl &url) { return outside.record(url); };
    const QString program = dir + QStringLiteral("/zeige args");
    writeScript(program, "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > args.txt\necho end >> args.txt\n");
    scripted.queueAnswer(MsgResult::Yes);
    EXPECT_EQ(open("Zeigen,zeige args,\"$(touch pwned);x\" zwei `touch pwned2` 'drei',"), LinkOutcome::Opened);
    const QByteArray args = waitForFile(dir + QStringLiteral("/args.txt"));
    EXPECT_EQ(args, QByteArray("$(touch pwned);x\nzwei\n`touch\npwned2`\n'drei'\nend\n"));
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/pwned")));
    EXPECT_FALSE(QFile::exists(dir + QStringLiteral("/pwned2")));
}

// ---- the link dialog ----

class LinkDialogTest : public testing::Test
{
protected:
    ScriptedServices scripted;
    ScopedServices scope{&scripted};
};

TEST_F(LinkDialogTest, ShowsThePartsAndComposesTheValue)
{
    struct Case
    {
        const char *value;
        const char *file;
        const char *action;
        const char *caption;
        const char *composed;
    };
    const Case cases[] = {
            {"Nur Text", "", "", "Nur Text", "Nur Text,,,"},
            {"Brief,brief.txt,", "brief.txt", "open", "Brief", "Brief,brief.txt,,open"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        LinkDialog dialog(LinkValue::Parse(c.value), QString());
        EXPECT_EQ(dialog.FileEdit()->text(), QString::fromUtf8(c.file));
        EXPECT_EQ(dialog.ActionCombo()->currentText(), QString::fromUtf8(c.action));
        EXPECT_EQ(dialog.CaptionEdit()->text(), QString::fromUtf8(c.caption));
        EXPECT_EQ(dialog.Value().Compose(), c.composed);
    }
    LinkDialog dialog(LinkValue::Parse("Brief an M\xFCller,/home/anna/Brief.odt,,open"), QString());
    dialog.show();
    grab(dialog, "orvel-link-dialog.png");
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Verknüpfung"));
    EXPECT_EQ(dialog.CaptionEdit()->text(), QStringLiteral("Brief an Müller"));
    EXPECT_TRUE(LinkDialog::OfferedActions().contains(QStringLiteral("open")));
}

TEST_F(LinkDialogTest, CommasAndTooMuchTextCannotBreakTheValue)
{
    LinkDialog dialog(LinkValue::Parse("A,b,c,d"), QString());
    dialog.show();
    // A comma would split a part: it is not taken, except in the action.
    dialog.CaptionEdit()->clear();
    QTest::keyClicks(dialog.CaptionEdit(), QStringLiteral("Meier, Hans"));
    EXPECT_EQ(dialog.CaptionEdit()->text(), QStringLiteral("Meier Hans"));
    dialog.ParametersEdit()->clear();
    QTest::keyClicks(dialog.ParametersEdit(), QStringLiteral("-a,-b"));
    EXPECT_EQ(dialog.ParametersEdit()->text(), QStringLiteral("-a-b"));
    dialog.ActionCombo()->lineEdit()->clear();
    QTest::keyClicks(dialog.ActionCombo()->lineEdit(), QStringLiteral("x,y"));
    EXPECT_EQ(dialog.ActionCombo()->currentText(), QStringLiteral("x,y"));

    // The four parts fit a value's 255 bytes together.
    dialog.FileEdit()->setText(QString(240, u'f'));
    QTest::keyClicks(dialog.CaptionEdit(), QString(20, u'c'));
    EXPECT_EQ(int(dialog.Value().Compose().size()), kMaxLinkValueLength);
    EXPECT_EQ(dialog.Value().caption.size() + dialog.Value().file.size() + dialog.Value().parameters.size()
                      + dialog.Value().action.size(),
              size_t(kMaxLinkValueLength - 3));
}

TEST_F(LinkDialogTest, BrowseTakesOnlyNamesAValueCanHold)
{
    LinkDialog dialog(LinkValue::Parse("Brief,brief.txt,,"), QString());
    for (const QString &refused :
         {QStringLiteral("/home/anna/Meier, Hans.txt"), QStringLiteral("/home/anna/Пётр.txt")}) {
        scripted.clear();
        scripted.queueFileName(refused);
        dialog.Browse();
        EXPECT_EQ(scripted.messageIds(), std::vector<int>{ids::kMsgUnsavableName});
        EXPECT_EQ(dialog.FileEdit()->text(), QStringLiteral("brief.txt"));
    }
    scripted.clear();
    scripted.queueFileName(QStringLiteral("/home/anna/Brief an Müller.odt"));
    dialog.Browse();
    EXPECT_TRUE(scripted.messages().empty());
    EXPECT_EQ(dialog.FileEdit()->text(), QStringLiteral("/home/anna/Brief an Müller.odt"));
}

// ---- link fields on the form ----

class LinkFieldTest : public testing::Test
{
protected:
    void SetUp() override
    {
        CFormDesigner::Tools() = {};
        AddField(doc, "Name");
        AddField(doc, "Homepage", FT_LINK);
        AddRecord(doc, {"Anna", "Verein,https://verein.example,,"});
        AddRecord(doc, {"Bernd", "https://bernd.example"});
        doc.CreateDefaultForm();
        doc.SetModifiedFlag(false);
        form = std::make_unique<COrvelView>(doc, nullptr, nullptr, false);
        form->resize(640, 480);
        form->show();
        form->OnInitialUpdate();
        QCoreApplication::processEvents();
        doc.AddHintListener([this](const UpdateHint &hint) { heard.push_back(hint); });
    }

    CFormDesigner &designer() const { return form->GetFormView()->Designer(); }
    QPushButton *selectLink()
    {
        designer().Select(doc.GetForm().FindDataField(1));
        DataFieldControl *control = designer().GetEditor();
        return control ? qobject_cast<QPushButton *>(control->Widget()) : nullptr;
    }
    AnsiView value(int record) const { return doc.GetTable().GetRecord(record)->GetRawValue(1); }

    ScriptedServices scripted;
    ScopedServices scope{&scripted};
    Outside outside;
    COrvelDoc doc;
    std::unique_ptr<COrvelView> form;
    std::vector<UpdateHint> heard;
};

TEST_F(LinkFieldTest, TheButtonOpensACompleteLink)
{
    QPushButton *button = selectLink();
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(outside.opened.size(), 1u);
    EXPECT_EQ(outside.opened.front(), QUrl(QStringLiteral("https://verein.example")));
    EXPECT_EQ(form->GetCurrentField(), 1);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(LinkFieldTest, AnIncompleteLinkOpensTheDialogAndOkStoresTheValue)
{
    ASSERT_TRUE(form->OnCmdMsg(ID_RECORD_NEXT, nullptr));
    QPushButton *button = selectLink();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->text(), QStringLiteral("https://bernd.example"));
    WhenShown<LinkDialog>([](LinkDialog &dialog) {
        EXPECT_EQ(dialog.CaptionEdit()->text(), QStringLiteral("https://bernd.example"));
        dialog.FileEdit()->setText(QStringLiteral("https://bernd.example"));
        dialog.CaptionEdit()->setText(QStringLiteral("Bernd"));
        QTest::mouseClick(dialog.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(outside.opened.empty());
    EXPECT_EQ(value(1), "Bernd,https://bernd.example,,");
    EXPECT_TRUE(doc.IsModified());
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.back().kind, Hint::RecordChanged);
    EXPECT_EQ(heard.back().record, 1);
    EXPECT_EQ(heard.back().field, 1);
    // The button shows the new caption.
    QCoreApplication::processEvents();
    button = qobject_cast<QPushButton *>(designer().GetEditor()->Widget());
    EXPECT_EQ(button->text(), QStringLiteral("Bernd"));
}

TEST_F(LinkFieldTest, ChangeLinkAndPropertiesEditTheLinkAndCancelKeepsIt)
{
    // Only on a link field.
    designer().Select(doc.GetForm().FindDataField(0));
    CCmdUI state(ID_FIELD_CHANGE_LINK);
    ASSERT_TRUE(form->OnCmdMsg(ID_FIELD_CHANGE_LINK, &state));
    EXPECT_FALSE(state.IsEnabled());
    selectLink();
    CCmdUI linkState(ID_FIELD_CHANGE_LINK);
    ASSERT_TRUE(form->OnCmdMsg(ID_FIELD_CHANGE_LINK, &linkState));
    EXPECT_TRUE(linkState.IsEnabled());

    WhenShown<LinkDialog>([](LinkDialog &dialog) {
        EXPECT_EQ(dialog.FileEdit()->text(), QStringLiteral("https://verein.example"));
        EXPECT_EQ(dialog.ActionCombo()->currentText(), QStringLiteral("open"));
        dialog.CaptionEdit()->setText(QStringLiteral("Geändert"));
        dialog.reject();
    });
    ASSERT_TRUE(form->OnCmdMsg(ID_FIELD_CHANGE_LINK, nullptr));
    EXPECT_EQ(value(0), "Verein,https://verein.example,,");
    EXPECT_FALSE(doc.IsModified());

    WhenShown<LinkDialog>([](LinkDialog &dialog) {
        dialog.ActionCombo()->setEditText(QStringLiteral("explore"));
        dialog.accept();
    });
    ASSERT_TRUE(form->OnCmdMsg(ID_OBJECT_PROPERTIES, nullptr));
    EXPECT_EQ(value(0), "Verein,https://verein.example,,explore");
    EXPECT_TRUE(outside.opened.empty());
}

} // namespace
