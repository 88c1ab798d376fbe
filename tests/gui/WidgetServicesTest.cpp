#include "platform/ui/WidgetServices.h"

#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace orvel;

namespace {

// Clicks the button of the message box that opens next.
void clickWhenShown(QMessageBox::StandardButton which, QString *seenText = nullptr)
{
    QTimer::singleShot(0, [which, seenText] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        if (seenText)
            *seenText = box->text() + u'|' + box->windowTitle();
        box->button(which)->click();
    });
}

} // namespace

TEST(WidgetServices, MessageBoxesReturnTheButtonChosen)
{
    WidgetServices widgets;
    ScopedServices installed(&widgets);

    QString seen;
    clickWhenShown(QMessageBox::No, &seen);
    EXPECT_EQ(MessageBoxById(61699, MsgIcon::Exclamation, MsgButtons::YesNoCancel, {QStringLiteral("Liste.ovd")}),
              MsgResult::No);
    EXPECT_EQ(seen, QStringLiteral("Änderungen in Liste.ovd speichern?|Orvel 97"));

    clickWhenShown(QMessageBox::Cancel);
    EXPECT_EQ(MessageBoxText(0, QStringLiteral("?"), MsgIcon::Question, MsgButtons::YesNoCancel), MsgResult::Cancel);
    clickWhenShown(QMessageBox::Ok);
    EXPECT_EQ(MessageBoxText(0, QStringLiteral("!"), MsgIcon::Stop), MsgResult::Ok);
}

TEST(WidgetServices, EscapeIsSeenByThePollAndTheProgressWindowShowsItsCaption)
{
    WidgetServices widgets;
    QWidget window;
    window.show();
    widgets.setParentWindow(&window);

    auto progress = widgets.beginProgress(421, 0, 1000);
    progress->setPos(300);
    const auto labels = window.findChildren<QLabel *>();
    ASSERT_FALSE(labels.isEmpty());
    EXPECT_EQ(labels.first()->text(), QStringLiteral("Datenbank lesen..."));
    const auto bars = window.findChildren<QProgressBar *>();
    ASSERT_EQ(bars.size(), 1);
    EXPECT_EQ(bars.first()->value(), 300);
    EXPECT_EQ(bars.first()->maximum(), 1000);

    EXPECT_FALSE(widgets.pollEscape());
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&window, &press);
    EXPECT_TRUE(widgets.pollEscape());
    EXPECT_FALSE(widgets.pollEscape()); // seen once

    progress.reset();
    EXPECT_TRUE(window.findChildren<QProgressBar *>().isEmpty());
}

TEST(WidgetServices, FileFiltersBecomeQtNameFilters)
{
    EXPECT_EQ(WidgetServices::ToNameFilters(QStringLiteral(
                      "Orvel-Dateien (*.ovd)|*.ovd|dBASE-Dateien (*.dbf)|*.dbf|Alle Dateien (*.*)|*.*||")),
              (QStringList{QStringLiteral("Orvel-Dateien (*.ovd)"), QStringLiteral("dBASE-Dateien (*.dbf)"),
                           QStringLiteral("Alle Dateien (*.*)")}));
    EXPECT_EQ(WidgetServices::ToNameFilters(QStringLiteral("Bilder|*.bmp;*.pcx||")),
              (QStringList{QStringLiteral("Bilder (*.bmp *.pcx)")}));
}

// A name typed without its extension is checked with it: the dialog asks
// before "Liste" would replace an existing "Liste.ovd", and returns the
// completed name.
TEST(WidgetServices, SaveDialogAsksAboutTheNameWithItsDefaultExtension)
{
    const QString dir = test::MakeScratchDir();
    QFile existing(dir + QStringLiteral("/Liste.ovd"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();

    WidgetServices widgets;
    QStringList questions;
    auto typeName = [&](QMessageBox::StandardButton answer) {
        QTimer::singleShot(0, [&questions, answer] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(edit, nullptr);
            edit->setText(QStringLiteral("Liste"));
            QTimer::singleShot(0, [&questions, answer] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                if (!box)
                    return;
                questions << box->text();
                box->button(answer)->click();
            });
            // After a "No" the dialog stays open; it is cancelled then.
            QTimer::singleShot(50, [] {
                if (auto *open = qobject_cast<QFileDialog *>(QApplication::activeModalWidget()))
                    open->reject();
            });
            QTest::keyClick(edit, Qt::Key_Return);
        });
    };

    int index = 1;
    typeName(QMessageBox::No);
    EXPECT_TRUE(widgets.getSaveFileName(QStringLiteral("Speichern unter"), dir + QStringLiteral("/Neu.ovd"),
                                        QStringLiteral("Orvel-Dateien (*.ovd)|*.ovd||"), &index, QStringLiteral("ovd"))
                        .isEmpty());
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions.first().contains(QStringLiteral("Liste.ovd")));

    typeName(QMessageBox::Yes);
    EXPECT_EQ(widgets.getSaveFileName(QStringLiteral("Speichern unter"), dir + QStringLiteral("/Neu.ovd"),
                                      QStringLiteral("Orvel-Dateien (*.ovd)|*.ovd||"), &index, QStringLiteral("ovd")),
              dir + QStringLiteral("/Liste.ovd"));
    EXPECT_EQ(questions.size(), 2);
}
