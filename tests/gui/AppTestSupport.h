#pragma once

#include "app/ui/DocTemplate.h"
#include "app/ui/MainFrame.h"
#include "app/ui/OrvelApp.h"
#include "document/DocumentTestSupport.h"
#include "platform/Registry.h"
#include "platform/ui/CommandRouter.h"

#include <QApplication>

#include <memory>

namespace orvel::test {

// Scripted services that also keep what the save dialog was offered.
class DialogRecordingServices : public ScriptedServices
{
public:
    QStringList proposedNames;
    std::vector<int> offeredFilterIndices;
    int chosenFilterIndex = 0; // 0: leave the index as offered

    QStringList defaultSuffixes;

    QString getSaveFileName(const QString &title, const QString &proposed, const QString &filter, int *filterIndex,
                            const QString &defaultSuffix) override
    {
        proposedNames << proposed;
        defaultSuffixes << defaultSuffix;
        offeredFilterIndices.push_back(filterIndex ? *filterIndex : 0);
        if (filterIndex && chosenFilterIndex > 0)
            *filterIndex = chosenFilterIndex;
        return ScriptedServices::getSaveFileName(title, proposed, filter, filterIndex, defaultSuffix);
    }
};

// The program started in this process with scripted services, on a clean
// set of settings unless the test wrote some first.
class AppTest : public testing::Test
{
protected:
    void SetUp() override
    {
        dir = MakeScratchDir();
        QGuiApplication::setQuitOnLastWindowClosed(false);
        for (const char *section :
             {"Settings", "Toolbars", "Recent File List", "GridFont", "FormFont", "SDF-Options", "DBF-Options", "Tip"})
            Registry::DeleteSection(QString::fromLatin1(section));
        // Windows open as lists unless a test wants the form.
        Registry::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("StandardView"), 1);
        // The program starts without its start dialogs ("Neu" and the tip of
        // the day) unless a test wants them.
        Registry::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("StartWindow"), 0);
        Registry::WriteProfileInt(QStringLiteral("Tip"), QStringLiteral("StartUp"), 1);
    }
    void TearDown() override { stop(); }

    QString path(const char *name) const { return dir + QLatin1Char('/') + QString::fromUtf8(name); }

    COrvelApp &start(const QStringList &arguments = {})
    {
        COrvelApp::StartOptions options;
        options.arguments = arguments;
        options.singleInstance = false;
        options.widgetServices = false;
        app = std::make_unique<COrvelApp>(options);
        EXPECT_TRUE(app->InitInstance());
        QCoreApplication::processEvents();
        return *app;
    }
    // Closes the main window and ends the program as its event loop would.
    void stop()
    {
        if (!app)
            return;
        app->GetMainFrame()->close();
        app->ExitInstance();
        app.reset();
        QCoreApplication::processEvents();
    }

    CMainFrame &frame() { return *app->GetMainFrame(); }
    CommandRouter &router() { return *app->GetRouter(); }
    COrvelDocTemplate &docs() { return *app->GetDocTemplate(); }
    bool enabled(int id) { return router().Query(id).IsEnabled(); }

    // A database file with a few German records.
    QString writeSampleDatabase(const char *name)
    {
        COrvelDoc doc;
        AddField(doc, "Name");
        AddField(doc, "Ort");
        AddField(doc, "Telefon");
        // Windows-1252 bytes, as stored.
        AddRecord(doc, {"M\xFCller", "K\xF6ln", "0221 123456"});
        AddRecord(doc, {"Sch\xE4"
                        "fer",
                        "M\xFCnchen", "089 987654"});
        AddRecord(doc, {"Wei\xDF", "D\xFCsseldorf", "0211 555"});
        const QString file = path(name);
        EXPECT_TRUE(doc.Save(file, 1, true));
        return file;
    }

    DialogRecordingServices scripted;
    ScopedServices scope{&scripted};
    std::unique_ptr<COrvelApp> app;
    QString dir;
};

} // namespace orvel::test
