#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QTemporaryDir;

namespace orvel {

class COrvelDoc;

// "Senden...": the database and (when there is one) its object file go into
// a private folder under the names the user knows ("Name.ovd", "Name.dbo")
// and are attached to a new message in the desktop's mail program with the
// note text. The folder is removed when the program ends, since the mail
// program reads the attachments in its own time.
class MailSender : public QObject
{
    Q_OBJECT
public:
    explicit MailSender(QObject *parent = nullptr);
    ~MailSender() override;

    // Starts the mail program. False when nothing was started (the reason
    // has been shown); a mail program that fails later shows 61842.
    bool Send(COrvelDoc &doc);

    // The program that composes the message; xdg-email by default.
    void SetProgram(const QString &program) { m_program = program; }
    // The files of the last Send, in attachment order.
    const QStringList &LastAttachments() const { return m_lastAttachments; }
    // The arguments the mail program was started with last.
    const QStringList &LastArguments() const { return m_lastArguments; }

    // The name the database is attached under.
    static QString AttachmentName(const COrvelDoc &doc);

signals:
    // The mail program has ended; `ok` unless it failed.
    void finished(bool ok);

private:
    QString folderForNextMail();

    QString m_program;
    std::unique_ptr<QTemporaryDir> m_folder;
    int m_mails = 0;
    QStringList m_lastAttachments;
    QStringList m_lastArguments;
};

} // namespace orvel
