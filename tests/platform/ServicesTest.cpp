#include "platform/Clock.h"
#include "platform/ConsoleServices.h"
#include "platform/ScriptedServices.h"

#include <gtest/gtest.h>

#include <QTimeZone>

#include <clocale>

using namespace orvel;

TEST(Services, MessageTextsTakeNumberedAndPrintfArguments)
{
    EXPECT_EQ(FormatMessageText(QStringLiteral("Änderungen in %1 speichern?"), {QStringLiteral("Liste.ovd")}),
              QStringLiteral("Änderungen in Liste.ovd speichern?"));
    EXPECT_EQ(FormatMessageText(QStringLiteral("Es wurde(n) %u von %u Datensätzen eingefügt."),
                                {QStringLiteral("3"), QStringLiteral("5")}),
              QStringLiteral("Es wurde(n) 3 von 5 Datensätzen eingefügt."));
    EXPECT_EQ(FormatMessageText(QStringLiteral("%s\n\n%2 %1 %lu 100%% %x"), {QStringLiteral("a"), QStringLiteral("b")}),
              QStringLiteral("a\n\nb a b 100% %x"));
    EXPECT_EQ(FormatMessageText(QStringLiteral("%1 and %3, end %"), {QStringLiteral("x")}),
              QStringLiteral("x and , end %"));
}

TEST(Services, ConsoleWritesOneLinePerMessageAndAnswersQuestions)
{
    EXPECT_EQ(
            ConsoleServices::FormatLine({506, QStringLiteral("Die Datenbank\nwurde\r\nneuer."), MsgIcon::Exclamation}),
            QStringLiteral("506: Die Datenbank wurde neuer."));

    ConsoleServices console;
    EXPECT_EQ(console.showMessage({507, QStringLiteral("?"), MsgIcon::Question, MsgButtons::YesNo}), MsgResult::Yes);
    EXPECT_EQ(console.showMessage({0, QStringLiteral("?"), MsgIcon::Question, MsgButtons::RetryCancel}),
              MsgResult::Cancel);
    console.setAnswer(510, MsgResult::No);
    EXPECT_EQ(console.showMessage({510, QStringLiteral("Vorgang abbrechen?"), MsgIcon::Question, MsgButtons::YesNo}),
              MsgResult::No);
    EXPECT_FALSE(console.pollEscape());
}

TEST(Services, ScriptedServicesRecordAndAnswer)
{
    ScriptedServices scripted;
    ScopedServices installed(&scripted);

    scripted.queueAnswer(MsgResult::No);
    EXPECT_EQ(MessageBoxText(61699, QStringLiteral("Änderungen?"), MsgIcon::Exclamation, MsgButtons::YesNoCancel),
              MsgResult::No);
    EXPECT_EQ(MessageBoxText(61699, QStringLiteral("Änderungen?"), MsgIcon::Exclamation, MsgButtons::YesNoCancel),
              MsgResult::Yes); // script empty: the first button
    EXPECT_EQ(scripted.messageIds(), (std::vector<int>{61699, 61699}));

    // Escape on the third poll asks whether to stop; the answer decides.
    scripted.pressEscapeAtPoll(3);
    scripted.queueAnswer(MsgResult::Yes);
    EXPECT_FALSE(EscapePressedAndConfirmed());
    EXPECT_FALSE(EscapePressedAndConfirmed());
    EXPECT_TRUE(EscapePressedAndConfirmed());
    EXPECT_TRUE(scripted.sawMessage(510));
    EXPECT_FALSE(EscapePressedAndConfirmed());

    {
        auto progress = services().beginProgress(421, 0, 30000);
        progress->setPos(300);
        WaitCursor wait;
        EXPECT_EQ(scripted.waitCursorDepth(), 1);
    }
    EXPECT_EQ(scripted.waitCursorDepth(), 0);
    const auto &events = scripted.progress();
    ASSERT_GE(events.size(), 4u);
    EXPECT_EQ(events.front().kind, ScriptedServices::ProgressEvent::Begin);
    EXPECT_EQ(events.front().a, 421);
    EXPECT_EQ(events.back().kind, ScriptedServices::ProgressEvent::End);
}

TEST(Clock, TestsCanFixTheTime)
{
    const QDateTime christmas(QDate(1996, 12, 24), QTime(10, 30), QTimeZone::utc());
    {
        ScopedFixedTime fixed(christmas);
        EXPECT_EQ(Clock::NowUtcSeconds(), 851423400);
        EXPECT_EQ(Clock::TodayUtc(), QDate(1996, 12, 24));
    }
    EXPECT_GT(Clock::TodayUtc().year(), 2020);
}

TEST(Environment, TheLibcRunHasARealGermanLocale)
{
    // The second run of these tests sets LC_ALL=de_DE.UTF-8 with a locale
    // built for the tests; make sure it really took effect, or that run
    // would prove nothing.
    if (qEnvironmentVariableIsEmpty("ORVEL_EXPECT_LIBC_DE"))
        GTEST_SKIP() << "not the de_DE run";
    const std::lconv *conv = std::localeconv();
    ASSERT_NE(conv, nullptr);
    EXPECT_STREQ(conv->decimal_point, ",");
}
