#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace orvel {

// One program per user: the first start listens on a local socket; a second
// start hands its file (if any) over and ends, and the first opens it and
// comes to the front. (A file manager starts a new process for every file it
// opens, so the file must not be dropped.)
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    enum class Outcome {
        Primary,    // this program now takes the files of later starts
        HandedOver, // a running program took the file; this start ends
        Alone,      // neither was possible; this program runs on its own
    };

    explicit SingleInstance(QObject *parent = nullptr);
    ~SingleInstance() override;

    // "Orvel97CLASS" in $XDG_RUNTIME_DIR; without one, in the temporary
    // folder with the user id in the name.
    static QString SocketPath();

    // Hands `path` (absolute; empty to only bring the running program to the
    // front) to a running program, or becomes the one that listens. A
    // socket left behind by a program that ended abnormally is removed.
    Outcome Start(const QString &path);

    // Milliseconds a second start waits for the running program to confirm.
    static constexpr int kReplyTimeoutMs = 5000;

signals:
    void activationRequested(const QString &path);

private:
    enum class HandOver { Done, NoServer, Refused };
    HandOver handOver(const QString &path);
    bool listen();
    void onNewConnection();
    void readRequest(QLocalSocket *socket);

    QLocalServer *m_server = nullptr;
};

} // namespace orvel
