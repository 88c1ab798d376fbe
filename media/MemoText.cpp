#include "media/MemoText.h"

#include "platform/Codepage.h"

#include <QStringDecoder>
#include <QStringList>

#include <algorithm>

namespace orvel {

namespace {

// A file whose sample holds more control characters than this share (in
// percent) is not text, even without a NUL byte.
constexpr std::int64_t kControlPercent = 30;

bool isLineBreak(char16_t u)
{
    return u == u'\n' || u == QChar::ParagraphSeparator || u == QChar::LineSeparator;
}

// Control characters that text files carry: tab, line feed, form feed,
// carriage return, and the DOS end-of-file mark.
bool isTextControl(unsigned char c)
{
    return c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == 0x1A;
}

QString unifyLineEnds(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    return text;
}

} // namespace

QString MemoToEditorText(AnsiView memo)
{
    return unifyLineEnds(AnsiToQString(memo));
}

AnsiString EditorTextToMemo(const QString &text)
{
    AnsiString memo;
    memo.reserve(std::size_t(text.size()) + std::size_t(text.size() / 32));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (isLineBreak(u)) {
            memo += "\r\n";
            continue;
        }
        // A character outside the basic plane is one "?", not two.
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode()))
            ++i;
        const int b = UnicodeToAnsiChar(u);
        memo.push_back(b < 0 ? '?' : static_cast<char>(b));
    }
    return memo;
}

QByteArray MemoToUtf8File(AnsiView memo)
{
    return MemoToEditorText(memo).toUtf8();
}

DecodedTextFile DecodeTextFile(const QByteArray &bytes)
{
    DecodedTextFile result;
    QStringDecoder decoder(QStringConverter::Utf8);
    QString text = decoder(bytes);
    result.utf8 = !decoder.hasError();
    if (!result.utf8) {
        // Windows-1252 holds every byte: nothing is replaced.
        result.text = unifyLineEnds(AnsiToQString(AnsiView(bytes.constData(), std::size_t(bytes.size()))));
        return result;
    }
    text = unifyLineEnds(std::move(text));
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (u == u'\n' || UnicodeToAnsiChar(u) >= 0) {
            shown += QChar(u);
            continue;
        }
        char32_t code = u;
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && QChar::isLowSurrogate(text.at(i + 1).unicode())) {
            code = QChar::surrogateToUcs4(u, text.at(i + 1).unicode());
            ++i;
        }
        shown += u'?';
        ++result.replacedCount;
        if (std::find(result.replaced.begin(), result.replaced.end(), code) == result.replaced.end())
            result.replaced.push_back(code);
    }
    result.text = std::move(shown);
    return result;
}

QString DescribeCharacters(const std::vector<char32_t> &characters, int limit)
{
    QStringList parts;
    for (const char32_t code : characters) {
        if (parts.size() == limit) {
            parts << QStringLiteral("…");
            break;
        }
        const char32_t one[] = {code};
        // Control and format characters would not show: only their number.
        const QString shown = QChar::isPrint(code) ? QStringLiteral("„%1“ ").arg(QString::fromUcs4(one, 1)) : QString();
        parts << shown + QStringLiteral("(U+%1)").arg(QString::number(uint(code), 16).toUpper(), 4, QLatin1Char('0'));
    }
    return parts.join(QStringLiteral(", "));
}

TextFileCheck CheckTextFile(QByteArrayView head, std::int64_t size)
{
    TextFileCheck check;
    check.large = size > kLargeTextFileSize;
    const QByteArrayView sample = head.first(std::min<qsizetype>(head.size(), kTextFileSampleSize));
    std::int64_t controls = 0;
    for (const char byte : sample) {
        const auto c = static_cast<unsigned char>(byte);
        if (c == 0) {
            check.binary = true;
            return check;
        }
        if ((c < 0x20 && !isTextControl(c)) || c == 0x7F)
            ++controls;
    }
    check.binary = !sample.isEmpty() && controls * 100 > std::int64_t(sample.size()) * kControlPercent;
    return check;
}

} // namespace orvel
