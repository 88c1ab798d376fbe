#pragma once

#include "platform/Gdi.h"

#include <QStringView>

namespace orvel {

// One line of text as DrawText breaks it: where it starts in the text, how
// many characters it has (the spaces at a break belong to no line) and how
// wide it is.
struct TextBreakLine
{
    qsizetype start = 0;
    qsizetype length = 0;
    qreal width = 0;
};

// The line breaking of DrawText, for every caller that lays out text: CR LF,
// LF and CR end paragraphs (a final break adds no empty line) unless
// DT_SINGLELINE keeps everything on one line; DT_WORDBREAK breaks a
// paragraph after the last word that still fits in `maxWidth`; a word wider
// than that stays whole, unless DT_EDITCONTROL, which breaks it between
// characters (never inside a surrogate pair). Empty text is no line at all,
// except with DT_SINGLELINE. At most `maxLines` lines are made, so a caller
// that can show two lines of a long note lays out only two.
//
// `widthOf(from, to)` is the width of the characters [from, to) drawn as
// one run; `lines` takes TextBreakLine values through append().
template<typename WidthOf, typename Lines>
void BreakText(QStringView text, qreal maxWidth, uint32_t flags, qsizetype maxLines, WidthOf widthOf, Lines &lines)
{
    const auto full = [&] { return qsizetype(lines.size()) >= maxLines; };
    // The most characters from `start` (at most `limit`) that fit.
    const auto fittingPrefix = [&](qsizetype start, qsizetype limit) {
        qsizetype low = 0;
        qsizetype high = limit;
        while (low < high) {
            const qsizetype mid = (low + high + 1) / 2;
            if (widthOf(start, start + mid) <= maxWidth)
                low = mid;
            else
                high = mid - 1;
        }
        if (low > 0 && text[start + low - 1].isHighSurrogate())
            --low;
        return low;
    };
    const auto breakParagraph = [&](qsizetype begin, qsizetype end, uint32_t paragraphFlags) {
        qsizetype pos = begin;
        while (!full()) {
            const qreal restWidth = widthOf(pos, end);
            if (!(paragraphFlags & DT_WORDBREAK) || restWidth <= maxWidth) {
                lines.append(TextBreakLine{pos, end - pos, restWidth});
                return;
            }
            // The last end of a word (followed by a space) up to which the
            // line fits.
            qsizetype lineEnd = -1;
            qsizetype firstWordEnd = -1;
            qreal lineWidth = 0;
            for (qsizetype i = pos + 1; i < end; ++i) {
                if (text[i] != u' ' || text[i - 1] == u' ')
                    continue;
                if (firstWordEnd < 0)
                    firstWordEnd = i;
                const qreal width = widthOf(pos, i);
                if (width > maxWidth)
                    break;
                lineEnd = i;
                lineWidth = width;
            }
            if (lineEnd < 0) {
                // The first word alone is too wide.
                if (paragraphFlags & DT_EDITCONTROL) {
                    const qsizetype wordLength = (firstWordEnd < 0 ? end : firstWordEnd) - pos;
                    qsizetype count = fittingPrefix(pos, wordLength);
                    if (count == 0)
                        count = text[pos].isHighSurrogate() && pos + 1 < end ? 2 : 1;
                    lines.append(TextBreakLine{pos, count, widthOf(pos, pos + count)});
                    pos += count;
                    continue;
                }
                lineEnd = firstWordEnd < 0 ? end : firstWordEnd;
                lineWidth = widthOf(pos, lineEnd);
            }
            lines.append(TextBreakLine{pos, lineEnd - pos, lineWidth});
            pos = lineEnd;
            while (pos < end && text[pos] == u' ')
                ++pos; // the spaces at a break belong to no line
            if (pos >= end)
                return;
        }
    };

    const qsizetype size = text.size();
    bool hasBreak = false;
    for (const QChar c : text)
        hasBreak = hasBreak || c == u'\n' || c == u'\r';
    if ((flags & DT_SINGLELINE) || !hasBreak) {
        if (size > 0 || (flags & DT_SINGLELINE))
            breakParagraph(0, size, (flags & DT_SINGLELINE) ? 0 : flags);
        return;
    }
    qsizetype pos = 0;
    while (pos < size && !full()) {
        qsizetype end = pos;
        while (end < size && text[end] != u'\n' && text[end] != u'\r')
            ++end;
        breakParagraph(pos, end, flags);
        pos = end;
        if (pos < size) // CR LF counts as one break
            pos += text[pos] == u'\r' && pos + 1 < size && text[pos + 1] == u'\n' ? 2 : 1;
    }
}

} // namespace orvel
