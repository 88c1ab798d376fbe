// Strg+P and F8 in the program: the session's printer (a PDF file here,
// where no printer is installed) gets the document's pages.
#include "AppTestSupport.h"
#include "DialogDriver.h"

#include "app/ui/DChildWnd.h"
#include "listview/OrvelView.h"
#include "print/ui/PrintPreviewWindow.h"
#include "print/ui/SessionPrinter.h"
#include "resources/CommandIds.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>

using namespace orvel;
using namespace orvel::test;

namespace {

TEST_F(AppTest, PrintAndPreviewFromTheProgramPrintTheActiveDatabase)
{
    const QString file = writeSampleDatabase("adressen.ovd");
    start({file});
    ASSERT_NE(frame().GetActiveChild(), nullptr);
    ASSERT_TRUE(enabled(ID_FILE_PRINT));
    ASSERT_TRUE(enabled(ID_FILE_PRINT_PREVIEW));

    int previewPages = 0;
    WhenShown<PrintPreviewWindow>([&previewPages](PrintPreviewWindow &preview) {
        previewPages = preview.PageCount();
        preview.accept();
    });
    ASSERT_TRUE(router().Execute(ID_FILE_PRINT_PREVIEW));
    EXPECT_EQ(previewPages, 1);

    const QString pdf = path("adressen.pdf");
    QPrinter &printer = SessionPrinter::Instance().Printer();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    WhenShown<QPrintDialog>([](QPrintDialog &dialog) { dialog.accept(); });
    ASSERT_TRUE(router().Execute(ID_FILE_PRINT));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(printed.contains(QStringLiteral("Düsseldorf"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("Telefon")));
}

} // namespace
