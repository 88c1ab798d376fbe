#include "AppTestSupport.h"

#include "app/ui/DChildWnd.h"
#include "app/ui/MailSender.h"
#include "listview/OrvelView.h"
#include "platform/FileLock.h"
#include "resources/StringTable.h"

#include <QContextMenuEvent>
#include <QFile>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSignalSpy>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

using namespace orvel;
using namespace orvel::test;

namespace {

// A document whose file counts as write-protected (tests run as root).
class ReadOnlyDoc : public COrvelDoc
{
public:
    QString readOnly;

protected:
    bool IsFileWritable(const QString &p) const override { return p != readOnly; }
};

class FrameTest : public AppTest
{
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        Registry::WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("StartWindow"), 0);
    }
    COrvelDoc &newDocument()
    {
        docs().OpenNewDocument();
        return frame().GetActiveChild()->GetDocument();
    }
    QWidget *openPopup() { return QApplication::activePopupWidget(); }
    void closePopup()
    {
        if (QWidget *popup = openPopup())
            popup->close();
        QCoreApplication::processEvents();
    }
};

TEST_F(FrameTest, ClosingAModifiedDocumentAsksWhetherToSave)
{
    start();
    COrvelDoc &doc = newDocument();
    AddField(doc, "Name");
    doc.SetModifiedFlag();
    CDChildWnd *child = frame().GetActiveChild();

    scripted.queueAnswer(MsgResult::Cancel);
    EXPECT_FALSE(child->close());
    ASSERT_EQ(scripted.messageIds(), std::vector<int>{61699});
    EXPECT_EQ(scripted.messages()[0].text, QStringLiteral("Änderungen in Unbenannt speichern?"));
    EXPECT_EQ(docs().GetDocuments().size(), 1u);

    // Closing the program asks too; Cancel keeps it running.
    scripted.queueAnswer(MsgResult::Cancel);
    EXPECT_FALSE(frame().close());
    EXPECT_TRUE(frame().isVisible());

    // Yes on an untitled document is Save As.
    scripted.queueAnswer(MsgResult::Yes);
    scripted.queueFileName(path("Adressen"));
    EXPECT_TRUE(child->close());
    QCoreApplication::processEvents();
    EXPECT_TRUE(docs().GetDocuments().empty());
    EXPECT_TRUE(QFile::exists(path("Adressen.ovd")));

    // No discards the changes.
    COrvelDoc &second = newDocument();
    second.SetModifiedFlag();
    scripted.clear();
    scripted.queueAnswer(MsgResult::No);
    router().Execute(57602);
    QCoreApplication::processEvents();
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{61699});
    EXPECT_TRUE(docs().GetDocuments().empty());
    EXPECT_EQ(frame().windowTitle(), QStringLiteral("Orvel 97"));
}

TEST_F(FrameTest, SaveAsProposesAShortNameAndRemembersTheFilter)
{
    start();
    COrvelDoc &first = newDocument();
    AddField(first, "Name");
    frame().SetFilterIndex(CMainFrame::kFilterSaveAs, 4);
    scripted.chosenFilterIndex = 1;
    router().Execute(57604); // cancelled: no name queued
    first.SetTitle(QStringLiteral("Liste 97"));
    router().Execute(57604);
    EXPECT_EQ(scripted.proposedNames, (QStringList{QStringLiteral("Unbenann.ovd"), QStringLiteral("Liste.ovd")}));
    // A cancelled dialog remembers nothing.
    EXPECT_EQ(scripted.offeredFilterIndices, (std::vector<int>{4, 4}));
    EXPECT_EQ(frame().GetFilterIndex(CMainFrame::kFilterSaveAs), 4);

    // A saved file's Save As proposes its path; the caption follows the name.
    scripted.queueFileName(path("Kunden.ovd"));
    router().Execute(57604);
    EXPECT_EQ(frame().GetFilterIndex(CMainFrame::kFilterSaveAs), 1);
    EXPECT_EQ(first.GetPathName(), path("Kunden.ovd"));
    EXPECT_EQ(frame().GetActiveChild()->windowTitle(), QStringLiteral("Kunden.ovd"));
    EXPECT_EQ(frame().windowTitle(), QStringLiteral("Orvel 97 - [Kunden.ovd]"));
    router().Execute(57604);
    EXPECT_EQ(scripted.proposedNames.last(), path("Kunden.ovd"));
    EXPECT_EQ(scripted.offeredFilterIndices.back(), 1);
}

TEST_F(FrameTest, SaveOfAWriteProtectedFileIsSaveAsAndFailuresKeepTheOldFile)
{
    const QString file = writeSampleDatabase("a.ovd");
    start();
    docs().SetDocumentFactory([file] {
        auto doc = std::make_unique<ReadOnlyDoc>();
        doc->readOnly = file;
        return doc;
    });
    ASSERT_NE(app->OpenDocumentFile(file), nullptr);
    frame().GetActiveChild()->GetDocument().SetModifiedFlag();
    router().Execute(57603);
    EXPECT_EQ(scripted.proposedNames, QStringList{file});
    EXPECT_TRUE(scripted.messages().empty());

    // A Save As that fails half-way leaves the file at the chosen path.
    const QByteArray kept("nicht überschreiben");
    WriteAll(path("b.ovd"), kept);
    COrvelDoc &doc = frame().GetActiveChild()->GetDocument();
    doc.SetSaveDeviceFilter([](QIODevice &out) { return std::make_unique<FailDevice>(out, 100); });
    scripted.queueFileName(path("b.ovd"));
    router().Execute(57604);
    EXPECT_EQ(ReadAll(path("b.ovd")), kept);
    EXPECT_FALSE(scripted.messages().empty());
    EXPECT_EQ(doc.GetPathName(), file);
}

TEST_F(FrameTest, NewChildrenAreMaximisedWhenNoneIsActiveAndDropsOpen)
{
    start();
    newDocument();
    CDChildWnd *first = frame().GetActiveChild();
    EXPECT_TRUE(first->isMaximized());
    first->showNormal();
    router().Execute(57648); // a second window on the same document
    EXPECT_EQ(frame().GetChildren().size(), 2u);
    EXPECT_EQ(frame().GetActiveChild()->windowTitle(), QStringLiteral("Unbenannt1:2"));
    EXPECT_FALSE(frame().GetActiveChild()->isMaximized());
    // Beside windows that are not maximised a new one gets a useful size,
    // two thirds of the area, one caption step from the one before.
    const QSize area = frame().GetMdiArea()->viewport()->size();
    const QRect second = frame().GetActiveChild()->geometry();
    EXPECT_EQ(second.width(), area.width() * 2 / 3);
    EXPECT_EQ(second.height(), area.height() * 2 / 3);
    EXPECT_GT(second.left(), first->geometry().left());
    EXPECT_GT(second.top(), first->geometry().top());

    // Closing one window of two leaves the document open without a question.
    first->GetDocument().SetModifiedFlag();
    EXPECT_TRUE(frame().GetActiveChild()->close());
    QCoreApplication::processEvents();
    EXPECT_TRUE(scripted.messages().empty());
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Unbenannt1"));

    // Files dropped on the window open as documents.
    const QString file = writeSampleDatabase("Drop.ovd");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file), QUrl(QStringLiteral("https://example.org/x.ovd"))});
    QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&frame(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&frame(), &drop);
    ASSERT_NE(docs().FindDocument(file), nullptr);
    EXPECT_EQ(&frame().GetActiveChild()->GetDocument(), docs().FindDocument(file));
    EXPECT_TRUE(FileLock::IsHeldByAnother(file));
    // The same file again only activates its window.
    app->OpenDocumentFile(file);
    EXPECT_EQ(docs().GetDocuments().size(), 2u);
}

TEST_F(FrameTest, RightButtonMenusOverBarsAndTheEmptyClientArea)
{
    start();
    const auto rightClick = [](QWidget *target) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(2, 2), target->mapToGlobal(QPoint(2, 2)));
        QCoreApplication::sendEvent(target, &event);
    };
    const auto popupName = [this] { return openPopup() ? openPopup()->objectName() : QString(); };

    rightClick(frame().GetMdiArea()->viewport());
    EXPECT_EQ(popupName(), QStringLiteral("ClientArea"));
    const auto items = openPopup()->actions();
    ASSERT_FALSE(items.isEmpty());
    EXPECT_EQ(items.first(), router().Action(57600));
    closePopup();

    QToolBar *bar = frame().GetNavigationBar();
    rightClick(bar->widgetForAction(router().Action(32788)));
    EXPECT_EQ(popupName(), QStringLiteral("ControlBars"));
    closePopup();
    rightClick(frame().statusBar());
    EXPECT_EQ(popupName(), QStringLiteral("ControlBars"));
    closePopup();

    // A view keeps its own right button: its menu, not the frame's.
    newDocument();
    rightClick(frame().GetActiveChild()->GetView());
    EXPECT_EQ(popupName(), QStringLiteral("ListView"));
    closePopup();
}

TEST_F(FrameTest, OptionsRebuildTheBarsAndLayOutEveryRegisteredView)
{
    start();
    QToolButton *button =
            qobject_cast<QToolButton *>(frame().GetStandardBar()->widgetForAction(router().Action(57601)));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->size(), QSize(23, 22));

    std::vector<COrvelView *> views;
    for (int i = 0; i < 7; ++i) {
        newDocument();
        views.push_back(frame().GetActiveChild()->GetView());
    }
    EXPECT_EQ(frame().GetRegisteredViews().size(), std::size_t(CMainFrame::kMaxViews));

    struct ResizeCounter : QObject
    {
        int resizes = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            resizes += e->type() == QEvent::Resize;
            return false;
        }
    } counter;
    for (COrvelView *view : frame().GetRegisteredViews())
        view->installEventFilter(&counter);
    frame().OnOptionsChanged({true, false});
    EXPECT_EQ(counter.resizes, CMainFrame::kMaxViews);
    EXPECT_EQ(button->size(), QSize(31, 30));
    EXPECT_EQ(frame().GetStandardBar()->iconSize(), QSize(24, 24));

    // Windows that lay out pages hear of a new printer.
    struct PrinterListener : QObject
    {
        int heard = 0;
        bool event(QEvent *e) override
        {
            heard += e->type() == CMainFrame::PrinterChangedEvent();
            return QObject::event(e);
        }
    } listener;
    frame().RegisterPrinterWindow(&listener);
    frame().NotifyPrinterChanged();
    EXPECT_EQ(listener.heard, 1);
    frame().UnregisterPrinterWindow(&listener);
}

TEST_F(FrameTest, BackgroundColourMarksTheDocumentAndTellsTheViews)
{
    start();
    COrvelDoc &doc = newDocument();
    std::vector<int> hints;
    const int listener = doc.AddHintListener([&](const UpdateHint &hint) { hints.push_back(int(hint.kind)); });
    scripted.queueColor(std::nullopt);
    router().Execute(32981);
    EXPECT_FALSE(doc.IsModified());
    scripted.queueColor(0x00FFEEDD);
    router().Execute(32981);
    EXPECT_EQ(scripted.colorRequests(), (std::vector<uint32_t>{0x00C0C0C0, 0x00C0C0C0}));
    EXPECT_EQ(doc.GetBackgroundColor(), 0x00FFEEDDu);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(hints, std::vector<int>{20});
    doc.RemoveHintListener(listener);
}

TEST_F(FrameTest, SendingAttachesTheFilesUnderTheirOwnNames)
{
    // A stand-in mail program that keeps its arguments.
    const QString log = path("mail.log");
    const QString program = path("fake-mail");
    WriteAll(program,
             QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '%1'\nexit $FAKE_MAIL_EXIT\n")
                     .arg(log)
                     .toUtf8());
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString file = writeSampleDatabase("Liste.ovd");
    start({file});
    MailSender &mail = *app->GetMailSender();
    mail.SetProgram(program);
    QSignalSpy finished(&mail, &MailSender::finished);

    qputenv("FAKE_MAIL_EXIT", "0");
    router().Execute(57612);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_TRUE(finished.takeFirst().at(0).toBool());
    ASSERT_FALSE(mail.LastAttachments().isEmpty());
    EXPECT_EQ(QFileInfo(mail.LastAttachments()[0]).fileName(), QStringLiteral("Liste.ovd"));
    EXPECT_EQ(ReadAll(mail.LastAttachments()[0]), ReadAll(file));
    const QStringList logged = QString::fromUtf8(ReadAll(log)).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(logged.contains(mail.LastAttachments()[0]));
    EXPECT_TRUE(logged.contains(LoadQString(460)));
    const QString firstCopy = mail.LastAttachments()[0];

    // A modified document sends a copy of what is on the screen; it stays
    // modified and keeps its file.
    COrvelDoc &doc = frame().GetActiveChild()->GetDocument();
    AddRecord(doc, {"Neu", "Bonn", "0228 1"});
    doc.SetModifiedFlag();
    qputenv("FAKE_MAIL_EXIT", "3");
    router().Execute(57612);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_FALSE(finished.takeFirst().at(0).toBool());
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{61842});
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetPathName(), file);
    EXPECT_EQ(doc.GetLock().path(), file);
    COrvelDoc copy;
    ASSERT_TRUE(copy.Open(mail.LastAttachments()[0], true));
    EXPECT_EQ(copy.GetTable().GetRecordCount(), 4);

    scripted.clear();
    mail.SetProgram(path("kein-mailprogramm"));
    router().Execute(57612);
    EXPECT_EQ(scripted.messageIds(), std::vector<int>{61840});

    // The copies go when the program ends.
    EXPECT_TRUE(QFile::exists(firstCopy));
    stop();
    EXPECT_FALSE(QFile::exists(firstCopy));
}

TEST_F(FrameTest, MainWindowWithADatabaseLooksRight)
{
    start({writeSampleDatabase("Adressen.ovd")});
    frame().resize(900, 560);
    QCoreApplication::processEvents();
    const QImage shot = frame().grab().toImage();
    ASSERT_FALSE(shot.isNull());
    shot.save(QStringLiteral("/tmp/orvel-main-window.png"));
    QMenu *fileMenu = frame().menuBar()->actions().first()->menu();
    fileMenu->popup(frame().mapToGlobal(QPoint(0, 20)));
    QCoreApplication::processEvents();
    fileMenu->grab().save(QStringLiteral("/tmp/orvel-file-menu.png"));
    fileMenu->close();
    // The toolbar icons are drawn, not empty squares.
    const QToolButton *open =
            qobject_cast<QToolButton *>(frame().GetStandardBar()->widgetForAction(router().Action(57601)));
    ASSERT_NE(open, nullptr);
    const QImage icon = router().Action(57601)->icon().pixmap(16, 16).toImage();
    int painted = 0;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x)
            painted += qAlpha(icon.pixel(x, y)) > 0;
    EXPECT_GT(painted, 60);
}

} // namespace
