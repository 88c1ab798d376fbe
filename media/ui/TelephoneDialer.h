#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class QWidget;

namespace orvel {

class CDataTable;

// Places calls through the desktop: the number, with the outside-line
// prefix, becomes a "tel:" address that the desktop hands to the user's
// dialler (a softphone, a phone app, a modem dialler). The program never
// drives a modem itself.
class TelephoneDialer
{
public:
    // The ways out of the program, which tests replace.
    struct Hooks
    {
        // Whether the desktop has a handler for "tel:" addresses.
        std::function<bool()> hasTelHandler;
        // Hands an address to the desktop; false when that failed.
        std::function<bool(const QUrl &)> openUrl;
        // The outside-line prefix ("DialPrefix" of the settings).
        std::function<QString()> prefix;
    };
    // The hooks in use; the defaults ask xdg-mime, open through
    // QDesktopServices and read the setting.
    static Hooks &hooks();
    // Puts the default hooks back.
    static void resetHooks();

    // Asks `xdgMime` ("xdg-mime" on the PATH by default) for the default
    // handler of x-scheme-handler/tel: true when it names one. A missing
    // program, a failure or a silent answer means there is none.
    static bool QueryTelHandler(const QString &xdgMime = QStringLiteral("xdg-mime"));

    // Dials `number` (the name is what the call is for; "tel:" addresses
    // carry none): the prefix goes in front unless the number starts with
    // "+", then the address goes to the desktop. Message 517 when there is
    // no handler or the desktop refuses; false then.
    static bool Dial(const QString &number, const QString &name);
};

// "Nummer wählen" on record `record` with `field` as the current field: the
// dial dialog with number and name, and on OK the call.
void RunDialCommand(QWidget *parent, const CDataTable &table, int record, int field);

} // namespace orvel
