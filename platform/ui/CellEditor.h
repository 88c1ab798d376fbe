#pragma once

#include "platform/AnsiString.h"

#include <functional>
#include <memory>

class QFont;
class QKeyEvent;
class QRect;
class QString;
class QWidget;

namespace orvel {

// The in-place editors of the list grid and of the form's data fields. The
// single-line one scrolls sideways; the multi-line one wraps at words and
// serves tall rows, tall data fields and numbers (right-aligned, so that
// the digits stay where the cell shows them). Both hold at most 255 bytes of
// stored text and have neither frame nor margins, so that the text stays
// where the cell or field drew it.
class CellEditor
{
public:
    // The most bytes a value typed in place may have.
    static constexpr int kMaxLength = 255;

    enum class Align { Left, Centre, Right };
    struct Style
    {
        bool multiLine = false;
        Align align = Align::Left;
        // Multi-line: Enter breaks the line (the form's fields) instead of
        // ending the edit (the grid, where Ctrl+Enter breaks it).
        bool enterBreaksLine = false;
    };
    // Numbers are always multi-line and right-aligned; other fields are
    // multi-line when their row is taller than one line.
    static Style StyleFor(int fieldType, int rowLines);

    struct Callbacks
    {
        // The user changed the text.
        std::function<void()> changed;
        // Enter (where it does not break the line): the edit ends.
        std::function<void()> finished;
        // Escape: the edit ends and the value it started from comes back.
        std::function<void()> cancelled;
        // Keys that move the current cell (Up, Down, Page Up, Page Down,
        // Ctrl+Home, Ctrl+End, Tab, Shift+Tab) belong to the host even while
        // editing; true when the host took the key.
        std::function<bool(QKeyEvent *)> navigate;
    };

    static std::unique_ptr<CellEditor> Create(const Style &style, QWidget *parent, const QFont &font,
                                              Callbacks callbacks);
    virtual ~CellEditor() = default;

    virtual QWidget *widget() = 0;
    virtual const Style &style() const = 0;
    // The text as it would be stored: Windows-1252, line breaks as CR LF.
    virtual AnsiString text() const = 0;
    // Replaces the text without telling `changed`.
    virtual void setText(AnsiView text) = 0;
    virtual void selectAll() = 0;
    // Typed text that arrived as a composed string (input methods).
    virtual void insertText(const QString &text) = 0;

    // The editor's place for a cell rectangle: inside it by two pixels at
    // the top and left.
    static QRect EditRectForCell(const QRect &cell);
};

} // namespace orvel
