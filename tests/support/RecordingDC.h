#pragma once

#include "platform/Bitmap.h"
#include "platform/Gdi.h"

#include <QRectF>
#include <QString>

#include <string>
#include <vector>

namespace orvel::test {

// A device context that draws nothing and writes down every call, one line
// each ("Rectangle 10,10,50,40"), so that a test can read what an object
// drew step by step. Text is measured at 6 x 13 pixels per character.
class RecordingDC final : public CDC
{
public:
    std::vector<std::string> calls;
    bool printing = false;

    // The calls that start with `prefix`.
    std::vector<std::string> callsStartingWith(const std::string &prefix) const
    {
        std::vector<std::string> found;
        for (const std::string &call : calls) {
            if (call.rfind(prefix, 0) == 0)
                found.push_back(call);
        }
        return found;
    }

    LOGPEN SelectPen(const LOGPEN &pen) override
    {
        add("SelectPen " + num(pen.lopnStyle) + " " + num(pen.lopnWidth.x) + " " + hex(pen.lopnColor));
        return exchange(m_pen, pen);
    }
    LOGBRUSH SelectBrush(const LOGBRUSH &brush) override
    {
        add("SelectBrush " + num(brush.lbStyle) + " " + hex(brush.lbColor));
        return exchange(m_brush, brush);
    }
    LOGFONT SelectFont(const LOGFONT &font) override
    {
        add("SelectFont " + std::string(font.lfFaceName.data()) + " " + num(font.lfHeight) + " "
            + num(font.lfEscapement));
        return exchange(m_font, font);
    }
    COLORREF SetTextColor(COLORREF color) override
    {
        add("SetTextColor " + hex(color));
        return exchange(m_textColor, color);
    }
    COLORREF SetBkColor(COLORREF color) override
    {
        add("SetBkColor " + hex(color));
        return exchange(m_bkColor, color);
    }
    int SetBkMode(int mode) override
    {
        add("SetBkMode " + num(mode));
        return exchange(m_bkMode, mode);
    }
    int SetPolyFillMode(int mode) override
    {
        add("SetPolyFillMode " + num(mode));
        return exchange(m_fillMode, mode);
    }
    POINT MoveTo(int x, int y) override
    {
        add("MoveTo " + pt(x, y));
        return exchange(m_position, POINT{x, y});
    }
    void LineTo(int x, int y) override
    {
        add("LineTo " + pt(x, y));
        m_position = POINT{x, y};
    }
    void Polyline(std::span<const POINT> points) override { add("Polyline " + list(points)); }
    void Polygon(std::span<const POINT> points) override { add("Polygon " + list(points)); }
    void Rectangle(int left, int top, int right, int bottom) override
    {
        add("Rectangle " + rc(RECT{left, top, right, bottom}));
    }
    void RoundRect(int left, int top, int right, int bottom, int width, int height) override
    {
        add("RoundRect " + rc(RECT{left, top, right, bottom}) + " " + pt(width, height));
    }
    void Ellipse(int left, int top, int right, int bottom) override
    {
        add("Ellipse " + rc(RECT{left, top, right, bottom}));
    }
    void PatBlt(int x, int y, int width, int height, uint32_t rop) override
    {
        add("PatBlt " + rc(RECT{x, y, width, height}) + " " + hex(rop));
    }
    int DrawText(const QString &text, RECT &rect, uint32_t flags) override
    {
        add("DrawText \"" + text.toStdString() + "\" " + rc(rect) + " " + hex(flags));
        const int lines = int(text.count(u'\n')) + 1;
        if (flags & DT_CALCRECT) {
            rect.right = rect.left + int(text.size()) * 6;
            rect.bottom = rect.top + lines * 13;
        }
        return lines * 13;
    }
    SIZE GetTextExtent(const QString &text) override { return SIZE{int(text.size()) * 6, 13}; }
    void FillRect(const RECT &rect, COLORREF color) override { add("FillRect " + rc(rect) + " " + hex(color)); }
    void FillRect(const RECT &rect, const LOGBRUSH &brush) override
    {
        add("FillRect " + rc(rect) + " brush " + hex(brush.lbColor));
    }
    void FrameRect(const RECT &rect, COLORREF color) override { add("FrameRect " + rc(rect) + " " + hex(color)); }
    void InvertRect(const RECT &rect) override { add("InvertRect " + rc(rect)); }
    void Draw3DRect(const RECT &rect, COLORREF topLeft, COLORREF bottomRight) override
    {
        add("Draw3DRect " + rc(rect) + " " + hex(topLeft) + " " + hex(bottomRight));
    }
    void Draw3DFrame(const RECT &rect, Edge edge) override
    {
        add("Draw3DFrame " + rc(rect) + (edge == Edge::Raised ? " raised" : " sunken"));
    }
    void StretchBitmap(const Bitmap &bitmap, const RECT &target, const QRectF &) override
    {
        add("StretchBitmap " + num(bitmap.width()) + "x" + num(bitmap.height()) + " " + rc(target));
    }
    bool IsPrinting() const override { return printing; }

    const LOGPEN &pen() const { return m_pen; }
    const LOGBRUSH &brush() const { return m_brush; }
    const LOGFONT &font() const { return m_font; }

private:
    template<typename T>
    static T exchange(T &slot, T value)
    {
        T old = slot;
        slot = value;
        return old;
    }
    template<typename T>
    static std::string num(T value)
    {
        return std::to_string(value);
    }
    static std::string hex(uint32_t value)
    {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%06X", value);
        return buffer;
    }
    static std::string pt(int x, int y) { return num(x) + "," + num(y); }
    static std::string rc(const RECT &r) { return pt(r.left, r.top) + "," + pt(r.right, r.bottom); }
    static std::string list(std::span<const POINT> points)
    {
        std::string text;
        for (const POINT &p : points)
            text += (text.empty() ? "" : " ") + pt(p.x, p.y);
        return text;
    }
    void add(std::string call) { calls.push_back(std::move(call)); }

    LOGPEN m_pen{};
    LOGBRUSH m_brush{};
    LOGFONT m_font{};
    COLORREF m_textColor = 0;
    COLORREF m_bkColor = 0xFFFFFF;
    int m_bkMode = 2;
    int m_fillMode = 1;
    POINT m_position{};
};

} // namespace orvel::test
