#pragma once

#include "platform/AnsiString.h"
#include "platform/LogFont.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>

namespace orvel {

// The core reaches the user only through these services. The program
// installs widget implementations, orvel-cli a console one, and tests a
// scripted one that records every message and answers questions.

enum class MsgIcon { None, Stop, Question, Exclamation, Information };
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel, AbortRetryIgnore };
// The values are those of the old dialog results, so that callers can keep
// comparing against them.
enum class MsgResult { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// One message as the user would see it.
struct Message
{
    int id = 0; // string id, 0 for a text without id
    QString text;
    MsgIcon icon = MsgIcon::None;
    MsgButtons buttons = MsgButtons::Ok;
};

// Replaces "%1" ... "%9" by the arguments of that number, and the printf
// conversions "%s", "%u", "%d", "%i", "%lu", "%ld" by the arguments in turn;
// "%%" is "%". Missing arguments leave the placeholder empty.
QString FormatMessageText(const QString &pattern, const QStringList &args);

// The modeless window of a long operation: caption by string id, range and
// position. Ends when destroyed.
class ProgressBox
{
public:
    virtual ~ProgressBox() = default;
    virtual void setCaption(int captionId) = 0;
    virtual void setRange(int low, int high) = 0;
    virtual void setPos(int pos) = 0;
    virtual int pos() const = 0;
};

// What the font dialog returns.
struct ChosenFont
{
    // Escapement and orientation 0; the height in pixels of the screen.
    LOGFONT font;
    // The size the user chose, in tenths of a point.
    int pointSizeTenths = 0;
    COLORREF color = 0;
};

class Services
{
public:
    virtual ~Services() = default;

    // Shows a message and returns the button chosen.
    virtual MsgResult showMessage(const Message &message) = 0;
    virtual std::unique_ptr<ProgressBox> beginProgress(int captionId, int low, int high) = 0;
    // Nested: the cursor shows waiting while the count is above 0.
    virtual void beginWaitCursor() = 0;
    virtual void endWaitCursor() = 0;
    // Keeps the interface alive during long work (paints) and tells whether
    // Escape was pressed since the last poll.
    virtual bool pollEscape() = 0;
    // File dialogs. The filter is the "|"-separated pattern list of the
    // string table; filterIndex is 1-based, read and updated. A name typed
    // without an extension gets `defaultSuffix` before the dialog checks it
    // (exists, or may be replaced), so the question is about the file that
    // will really be used. Empty = cancelled.
    virtual QString getOpenFileName(const QString &title, const QString &filter, int *filterIndex,
                                    const QString &defaultSuffix = QString()) = 0;
    virtual QString getSaveFileName(const QString &title, const QString &proposedName, const QString &filter,
                                    int *filterIndex, const QString &defaultSuffix = QString()) = 0;
    // The colour dialog on a colour (0x00BBGGRR); nothing when cancelled.
    virtual std::optional<uint32_t> chooseColor(uint32_t initial) = 0;
    // The font dialog (screen fonts, with underline, strike-out and a
    // colour) on a font and its colour; nothing when cancelled.
    virtual std::optional<ChosenFont> chooseFont(const LOGFONT &initial, COLORREF initialColor) = 0;
};

// The installed services; a console implementation until one is installed.
Services &services();
// Installs the services and returns the previous ones (not owned).
Services *installServices(Services *services);

// Message by string id, with arguments for its placeholders.
MsgResult MessageBoxById(int id, MsgIcon icon = MsgIcon::Exclamation, MsgButtons buttons = MsgButtons::Ok,
                         const QStringList &args = {});
// Message with a text of its own (file errors with a reason, for example).
MsgResult MessageBoxText(int id, const QString &text, MsgIcon icon = MsgIcon::Exclamation,
                         MsgButtons buttons = MsgButtons::Ok);

// The question "Vorgang abbrechen?" (510) after Escape: true when the user
// wants to stop.
bool EscapePressedAndConfirmed();

class WaitCursor
{
public:
    WaitCursor() { services().beginWaitCursor(); }
    ~WaitCursor() { services().endWaitCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

// Installs services for the lifetime of a scope.
class ScopedServices
{
public:
    explicit ScopedServices(Services *s)
        : m_previous(installServices(s))
    {}
    ~ScopedServices() { installServices(m_previous); }
    ScopedServices(const ScopedServices &) = delete;
    ScopedServices &operator=(const ScopedServices &) = delete;

private:
    Services *m_previous;
};

} // namespace orvel
