#include "tools/CdPlayerDialog.h"

#include "ui_CdPlayerDialog.h"

#include "platform/Mci.h"
#include "tools/CdioDrive.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QThread>

namespace orvel {

namespace {

QPointer<CdPlayerDialog> g_player;
// A drive reads a disc within a few seconds of closing its tray; one that
// takes longer has no disc it can read.
int g_readyWaitLimit = 15000;

const QString kTrue = QStringLiteral("true");

} // namespace

CdPlayerDialog *CdPlayerDialog::Open(QWidget *frame)
{
    if (g_player) {
        g_player->show();
        g_player->raise();
        g_player->activateWindow();
        return g_player;
    }
    InstallCdioDrive();
    g_player = new CdPlayerDialog(frame);
    g_player->show();
    return g_player;
}

CdPlayerDialog *CdPlayerDialog::Current()
{
    return g_player;
}

void CdPlayerDialog::SetReadyWaitLimit(int milliseconds)
{
    g_readyWaitLimit = milliseconds;
}

CdPlayerDialog::CdPlayerDialog(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CdPlayerDialog>())
{
    m_ui->setupUi(this);
    setModal(false);
    // The display reads like a player's, larger than the buttons.
    QFont display = m_ui->statusText->font();
    display.setPointSizeF(display.pointSizeF() * 1.4);
    display.setBold(true);
    m_ui->statusText->setFont(display);
    connect(m_ui->playButton, &QPushButton::clicked, this, &CdPlayerDialog::OnPlay);
    connect(m_ui->pauseButton, &QPushButton::clicked, this, &CdPlayerDialog::OnPause);
    connect(m_ui->stopButton, &QPushButton::clicked, this, &CdPlayerDialog::OnStop);
    connect(m_ui->backButton, &QPushButton::clicked, this, &CdPlayerDialog::OnBack);
    connect(m_ui->forwardButton, &QPushButton::clicked, this, &CdPlayerDialog::OnForward);
    connect(m_ui->ejectButton, &QPushButton::clicked, this, &CdPlayerDialog::OnEject);
    connect(m_ui->offButton, &QPushButton::clicked, this, &CdPlayerDialog::OnOff);
    m_positionTimer.setInterval(kPollInterval);
    connect(&m_positionTimer, &QTimer::timeout, this, &CdPlayerDialog::showPosition);

    m_deviceOpen = SendMciCommand(QStringLiteral("open cdaudio shareable")) == 0;
    // Positions are tracks from the start: "seek cdaudio to 1" and "play
    // cdaudio from 3" would otherwise mean minutes until the first poll.
    SendMciCommand(QStringLiteral("set cdaudio time format tmsf"));
    const QString mode = ask(QStringLiteral("status cdaudio mode")).toUpper();
    if (mode != u"WIEDERGABE" && mode != u"PLAYING")
        showTrackCount();
    else
        startPositionTimer();
}

CdPlayerDialog::~CdPlayerDialog()
{
    if (m_deviceOpen)
        SendMciCommand(QStringLiteral("close cdaudio"));
}

QString CdPlayerDialog::StatusText() const
{
    return m_ui->statusText->text();
}

int CdPlayerDialog::SendMciCommand(const QString &command, QString *reply)
{
    QString answer;
    const int error = MciSendString(command, &answer);
    if (error)
        answer = MciGetErrorString(error);
    if (reply)
        *reply = answer;
    return error;
}

QString CdPlayerDialog::ask(const QString &command)
{
    QString reply;
    SendMciCommand(command, &reply);
    return reply;
}

void CdPlayerDialog::setStatus(const QString &text)
{
    m_ui->statusText->setText(text);
}

void CdPlayerDialog::showTrackCount()
{
    // The errors' texts are not for the status line: a drive that cannot
    // tell shows "-".
    QString tracks, length;
    if (SendMciCommand(QStringLiteral("status cdaudio number of tracks"), &tracks)
        || SendMciCommand(QStringLiteral("status cdaudio length"), &length))
        setStatus(QStringLiteral("-"));
    else
        setStatus(tracks + QStringLiteral(" - ") + length);
}

void CdPlayerDialog::startPositionTimer()
{
    if (m_positionTimer.isActive())
        return;
    m_positionTimer.start();
    showPosition();
}

void CdPlayerDialog::killPositionTimer()
{
    m_positionTimer.stop();
}

void CdPlayerDialog::showPosition()
{
    QString position;
    if (SendMciCommand(QStringLiteral("set cdaudio time format tmsf"))
        || SendMciCommand(QStringLiteral("status cdaudio position"), &position)) {
        // The drive went away (or lost its disc): nothing more to follow.
        setStatus(QStringLiteral("-"));
        killPositionTimer();
        return;
    }
    setStatus(position.left(8));
}

bool CdPlayerDialog::waitUntilReady()
{
    QElapsedTimer waited;
    waited.start();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool ready = false;
    while (!(ready = ask(QStringLiteral("status cdaudio ready")) == kTrue) && waited.elapsed() < g_readyWaitLimit) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 50);
        QThread::msleep(100);
    }
    QApplication::restoreOverrideCursor();
    return ready;
}

void CdPlayerDialog::OnStop()
{
    SendMciCommand(QStringLiteral("seek cdaudio to 1"));
    SendMciCommand(QStringLiteral("stop cdaudio"));
    showTrackCount();
    killPositionTimer();
}

void CdPlayerDialog::OnPlay()
{
    if (ask(QStringLiteral("capability cdaudio can eject")) == kTrue
        && ask(QStringLiteral("status cdaudio mode")) == u"open") {
        OnStop();
        SendMciCommand(QStringLiteral("set cdaudio door closed"));
        waitUntilReady();
    }
    if (ask(QStringLiteral("status cdaudio ready")) == kTrue) {
        SendMciCommand(QStringLiteral("play cdaudio"));
        startPositionTimer();
    }
}

void CdPlayerDialog::OnPause()
{
    SendMciCommand(QStringLiteral("pause cdaudio"));
}

void CdPlayerDialog::playNeighbour(int step)
{
    const int track = ask(QStringLiteral("status cdaudio current track")).toInt();
    const int target = step < 0 && track == 1 ? 1 : track + step;
    // A stopped disc starts playing, so its position is followed as after
    // "&PLAY"; a track beyond the last one is refused by the drive.
    if (SendMciCommand(QStringLiteral("play cdaudio from ") + QString::number(target)) == 0)
        startPositionTimer();
}

void CdPlayerDialog::OnBack()
{
    playNeighbour(-1);
}

void CdPlayerDialog::OnForward()
{
    playNeighbour(+1);
}

void CdPlayerDialog::OnEject()
{
    if (ask(QStringLiteral("capability cdaudio can eject")) != kTrue)
        return;
    OnStop();
    if (ask(QStringLiteral("status cdaudio mode")) != u"open") {
        SendMciCommand(QStringLiteral("set cdaudio door open"));
        setStatus(QString());
    } else {
        SendMciCommand(QStringLiteral("set cdaudio door closed"));
        waitUntilReady();
        showTrackCount();
    }
}

void CdPlayerDialog::OnOff()
{
    killPositionTimer();
    if (m_deviceOpen)
        SendMciCommand(QStringLiteral("close cdaudio"));
    m_deviceOpen = false;
    if (g_player == this)
        g_player = nullptr;
    hide();
    deleteLater();
}

void CdPlayerDialog::reject()
{
    OnOff();
}

void CdPlayerDialog::closeEvent(QCloseEvent *event)
{
    OnOff();
    event->accept();
}

} // namespace orvel
