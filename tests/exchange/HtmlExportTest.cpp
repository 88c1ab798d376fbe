#include "TextExportTestSupport.h"

#include "exchange/HtmlExport.h"

using namespace orvel;
using namespace orvel::test;

namespace {

class HtmlExportTest : public TextExportTest
{
protected:
    QByteArray ExportHtmlBytes(const QString &title)
    {
        return Export([&](QIODevice &out) { return ExportHtml(table, out, title, nullptr); });
    }
};

TEST_F(HtmlExportTest, PageWithDataFieldsOnly)
{
    MakeAddressTable();
    EXPECT_EQ(ExportHtmlBytes(QStringLiteral("adressen.htm")),
              QByteArray("<HTML>\n<HEAD>\n <TITLE>adressen.htm</TITLE>\n"
                         " <META NAME=\"GENERATOR\" CONTENT=\"Orvel 97 [Quistar]\">\n</HEAD>\n\n<BODY>\n\n"
                         "<H1>adressen.htm</H1>\n<HR>\n\n<TABLE BORDER=1 CELLSPACING=1 CELLPADDING=8>\n"
                         " <TR>\n  <TD><B>Name</B></TD><TD><B>Ort</B></TD>\n </TR>\n\n"
                         " <TR>\n  <TD>M\xFCller</TD><TD>K\xF6ln</TD>\n </TR>\n"
                         " <TR>\n  <TD><BR></TD><TD>Bonn</TD>\n </TR>\n"
                         "</TABLE>\n\n</BODY>\n</HTML>"));
}

TEST_F(HtmlExportTest, MarkupInTitleNamesAndValuesIsEscaped)
{
    AddField("A&&B <i>");
    AddField("&");
    AddField("Betrag", FT_NUMERIC, 2);
    AddRow({"<B>fett</B> & mehr", "x", "1234.5"});
    const QByteArray page = ExportHtmlBytes(QStringLiteral("<script>ä.htm"));
    EXPECT_TRUE(page.contains(" <TITLE>&lt;script&gt;\xE4.htm</TITLE>\n"));
    EXPECT_TRUE(page.contains("<H1>&lt;script&gt;\xE4.htm</H1>\n"));
    EXPECT_TRUE(page.contains("<TD><B>A&amp;B &lt;i&gt;</B></TD><TD><B><BR></B></TD><TD><B>Betrag</B></TD>"));
    EXPECT_TRUE(page.contains("<TD>&lt;B&gt;fett&lt;/B&gt; &amp; mehr</TD><TD>x</TD><TD>1.234,50</TD>"));
    EXPECT_FALSE(page.contains("<B>fett"));
}

TEST_F(HtmlExportTest, WriteFailureEndsTheExport)
{
    MakeAddressTable();
    for (int i = 0; i < 20000; ++i)
        AddRow({"Eintrag mit etwas Text", "", "Ort"});
    CappedDevice full(4096);
    auto box = scripted.beginProgress(0, 0, 0);
    scripted.clear();
    EXPECT_EQ(ExportHtml(table, full, QStringLiteral("x.htm"), box.get()), 0);
    EXPECT_EQ(SeenProgress(scripted).caption, 412);
}

} // namespace
