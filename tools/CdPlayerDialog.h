#pragma once

#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <memory>

namespace Ui {
class CdPlayerDialog;
}

namespace orvel {

// "Lumodisk!": the small modeless CD player of "E&xtras". It drives the
// drive only through the command strings of the device "cdaudio" and
// never shows their errors: a command that fails answers with its error
// text, which is never the word a step waits for, so the step is skipped.
// While the disc plays, the status text shows the position as track,
// minutes and seconds ("03:01:25"), asked for four times a second; when
// stopped, the number of tracks and the disc's length ("12 - 48:23:05").
// There is one player per program.
class CdPlayerDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kPollInterval = 250;

    // Opens the player, or brings the open one to the front.
    static CdPlayerDialog *Open(QWidget *frame);
    // The open player, or null.
    static CdPlayerDialog *Current();
    // How long Play and Eject wait for a disc after closing the tray.
    static void SetReadyWaitLimit(int milliseconds);

    ~CdPlayerDialog() override;

    QString StatusText() const;
    bool IsPolling() const { return m_positionTimer.isActive(); }

    void OnPlay();
    void OnPause();
    void OnStop();
    void OnBack();
    void OnForward();
    void OnEject();
    // Closes the device and the window.
    void OnOff();

protected:
    // Escape and the window's close button switch the player off.
    void reject() override;
    void closeEvent(QCloseEvent *event) override;

private:
    explicit CdPlayerDialog(QWidget *parent);

    // Sends a command; after an error the reply holds the error's text.
    // Returns the error code (0: success).
    int SendMciCommand(const QString &command, QString *reply = nullptr);
    QString ask(const QString &command);
    void setStatus(const QString &text);
    // "<tracks> - <length>", or "-" when the drive cannot tell.
    void showTrackCount();
    void startPositionTimer();
    void killPositionTimer();
    void showPosition();
    // Asks until the drive has read the disc after its tray closed, for at
    // most the wait limit. False when it gave up.
    bool waitUntilReady();
    // Plays the track so many tracks away from the current one.
    void playNeighbour(int step);

    std::unique_ptr<Ui::CdPlayerDialog> m_ui;
    QTimer m_positionTimer;
    bool m_deviceOpen = false;
};

} // namespace orvel
