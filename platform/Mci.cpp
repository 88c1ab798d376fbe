#include "platform/Mci.h"

#include <QStringList>

#include <algorithm>
#include <optional>

namespace orvel {

namespace {

// Splits a command into its words; a word in double quotes may hold
// blanks. False when a quote is not closed.
bool splitWords(const QString &command, QStringList &words)
{
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (const QChar c : command) {
        if (quoted) {
            if (c == u'"')
                quoted = false;
            else
                word += c;
        } else if (c == u'"') {
            quoted = true;
            inWord = true;
        } else if (c.isSpace()) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted)
        return false;
    if (inWord)
        words << word;
    return true;
}

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

QString msfText(int frames)
{
    frames = std::max(frames, 0);
    return twoDigits(frames / kCdFramesPerMinute) + u':' + twoDigits(frames / kCdFramesPerSecond % 60) + u':'
           + twoDigits(frames % kCdFramesPerSecond);
}

QString boolText(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

// One open "cdaudio" device: its time format and the position it stands
// at, over a drive.
class CdAudioDevice
{
public:
    explicit CdAudioDevice(std::shared_ptr<CdDrive> drive)
        : m_drive(std::move(drive))
    {}

    int Execute(const QString &verb, const QStringList &args, QString &reply);

private:
    enum class TimeFormat { Msf, Tmsf, Milliseconds };

    int play(const QStringList &args);
    int seek(const QStringList &args);
    int set(const QStringList &args);
    int status(const QStringList &args, QString &reply);
    int capability(const QStringList &args, QString &reply);

    // The table of contents when the tray is closed on a readable disc:
    // 0, MCIERR_DEVICE_NOT_READY or MCIERR_HARDWARE.
    int readToc(CdToc &toc);
    // Asks the drive where it plays; false when it does not answer.
    bool refresh(CdSubchannel &subchannel);
    int currentFrame(const CdToc &toc) const;
    static int trackIndexOf(int frame, const CdToc &toc);
    QString positionText(int frame, const CdToc &toc) const;
    QString lengthText(int frames) const;
    int parsePosition(const QString &text, const CdToc &toc, int &frame) const;
    int parseTrack(const QStringList &args, qsizetype at, const CdToc &toc, int &index) const;

    std::shared_ptr<CdDrive> m_drive;
    TimeFormat m_format = TimeFormat::Msf;
    // Where play starts without "from"; -1: the start of the disc.
    int m_position = -1;
    // What the drive did when last asked: a play that ends on its own
    // leaves the position where it ended.
    CdAudioStatus m_lastStatus = CdAudioStatus::Idle;
};

int CdAudioDevice::Execute(const QString &verb, const QStringList &args, QString &reply)
{
    if (verb == u"play")
        return play(args);
    if (verb == u"seek")
        return seek(args);
    if (verb == u"set")
        return set(args);
    if (verb == u"status")
        return status(args, reply);
    if (verb == u"capability")
        return capability(args, reply);
    if (verb == u"info") {
        if (args.isEmpty())
            return MCIERR_MISSING_PARAMETER;
        if (args != QStringList{QStringLiteral("product")})
            return MCIERR_UNRECOGNIZED_KEYWORD;
        reply = QStringLiteral("CD-Audio");
        return 0;
    }
    if (!args.isEmpty())
        return MCIERR_UNRECOGNIZED_KEYWORD;
    CdToc toc;
    if (const int error = readToc(toc))
        return error;
    CdSubchannel subchannel;
    if (!refresh(subchannel))
        return MCIERR_HARDWARE;
    bool done = true;
    if (verb == u"stop") {
        done = m_drive->Stop();
        m_lastStatus = CdAudioStatus::Idle;
    } else if (verb == u"pause") {
        done = subchannel.status != CdAudioStatus::Playing || m_drive->Pause();
    } else if (verb == u"resume") {
        done = subchannel.status != CdAudioStatus::Paused || m_drive->Resume();
    }
    return done ? 0 : MCIERR_HARDWARE;
}

int CdAudioDevice::readToc(CdToc &toc)
{
    CdTray tray = CdTray::Closed;
    if (!m_drive->ReadTray(tray))
        return MCIERR_HARDWARE;
    if (tray == CdTray::Open || !m_drive->ReadToc(toc) || toc.tracks.empty())
        return MCIERR_DEVICE_NOT_READY;
    return 0;
}

bool CdAudioDevice::refresh(CdSubchannel &subchannel)
{
    if (!m_drive->ReadSubchannel(subchannel))
        return false;
    const bool fromDrive = subchannel.status != CdAudioStatus::Idle || m_lastStatus != CdAudioStatus::Idle;
    if (fromDrive && subchannel.position >= 0)
        m_position = subchannel.position;
    m_lastStatus = subchannel.status;
    return true;
}

int CdAudioDevice::currentFrame(const CdToc &toc) const
{
    if (m_position < 0)
        return toc.tracks.front().start;
    return std::clamp(m_position, toc.tracks.front().start, toc.leadOut);
}

int CdAudioDevice::trackIndexOf(int frame, const CdToc &toc)
{
    int index = 0;
    for (int i = 0; i < int(toc.tracks.size()); ++i) {
        if (toc.tracks[i].start <= frame)
            index = i;
    }
    return index;
}

QString CdAudioDevice::positionText(int frame, const CdToc &toc) const
{
    switch (m_format) {
    case TimeFormat::Milliseconds:
        return QString::number(qint64(frame) * 1000 / kCdFramesPerSecond);
    case TimeFormat::Tmsf: {
        const CdTrack &track = toc.tracks[trackIndexOf(frame, toc)];
        return twoDigits(track.number) + u':' + msfText(frame - track.start);
    }
    case TimeFormat::Msf:
        break;
    }
    return msfText(frame);
}

QString CdAudioDevice::lengthText(int frames) const
{
    if (m_format == TimeFormat::Milliseconds)
        return QString::number(qint64(frames) * 1000 / kCdFramesPerSecond);
    return msfText(frames);
}

int CdAudioDevice::parsePosition(const QString &text, const CdToc &toc, int &frame) const
{
    const QStringList parts = text.split(u':');
    std::vector<int> values;
    for (const QString &part : parts) {
        bool ok = false;
        const int value = part.toInt(&ok);
        if (!ok || value < 0)
            return MCIERR_BAD_INTEGER;
        values.push_back(value);
    }
    if (m_format == TimeFormat::Milliseconds) {
        if (values.size() != 1)
            return MCIERR_BAD_INTEGER;
        frame = int(qint64(values[0]) * kCdFramesPerSecond / 1000);
        return 0;
    }
    const size_t maxParts = m_format == TimeFormat::Tmsf ? 4 : 3;
    if (values.size() > maxParts)
        return MCIERR_BAD_INTEGER;
    values.resize(maxParts, 0);
    int base = 0;
    size_t at = 0;
    if (m_format == TimeFormat::Tmsf) {
        const auto track = std::find_if(toc.tracks.begin(), toc.tracks.end(),
                                        [&](const CdTrack &t) { return t.number == values[0]; });
        if (track == toc.tracks.end())
            return MCIERR_OUTOFRANGE;
        base = track->start;
        at = 1;
    }
    const int minutes = values[at], seconds = values[at + 1], frames = values[at + 2];
    if (minutes > 99 || seconds > 59 || frames >= kCdFramesPerSecond)
        return MCIERR_OUTOFRANGE;
    frame = base + minutes * kCdFramesPerMinute + seconds * kCdFramesPerSecond + frames;
    return 0;
}

// The track named by the words "track <n>" at args[at]: its index in the
// table of contents.
int CdAudioDevice::parseTrack(const QStringList &args, qsizetype at, const CdToc &toc, int &index) const
{
    if (args.size() <= at + 1)
        return MCIERR_MISSING_PARAMETER;
    if (args.at(at) != u"track" || args.size() > at + 2)
        return MCIERR_UNRECOGNIZED_KEYWORD;
    bool ok = false;
    const int number = args.at(at + 1).toInt(&ok);
    if (!ok)
        return MCIERR_BAD_INTEGER;
    for (int i = 0; i < int(toc.tracks.size()); ++i) {
        if (toc.tracks[i].number == number) {
            index = i;
            return 0;
        }
    }
    return MCIERR_OUTOFRANGE;
}

int CdAudioDevice::play(const QStringList &args)
{
    CdToc toc;
    if (const int error = readToc(toc))
        return error;
    std::optional<QString> fromText, toText;
    for (qsizetype i = 0; i < args.size(); i += 2) {
        if (args.at(i) != u"from" && args.at(i) != u"to")
            return MCIERR_UNRECOGNIZED_KEYWORD;
        if (i + 1 >= args.size())
            return MCIERR_MISSING_PARAMETER;
        (args.at(i) == u"from" ? fromText : toText) = args.at(i + 1);
    }
    CdSubchannel subchannel;
    if (!refresh(subchannel))
        return MCIERR_HARDWARE;
    int from = currentFrame(toc);
    // A disc that was played to its end starts again.
    if (!fromText && from >= toc.leadOut)
        from = toc.tracks.front().start;
    int to = toc.leadOut;
    if (fromText) {
        if (const int error = parsePosition(*fromText, toc, from))
            return error;
    }
    if (toText) {
        if (const int error = parsePosition(*toText, toc, to))
            return error;
    }
    if (from < toc.tracks.front().start || from >= toc.leadOut || to > toc.leadOut || to <= from)
        return MCIERR_OUTOFRANGE;
    if (!m_drive->PlayMsf(from, to))
        return MCIERR_HARDWARE;
    m_position = from;
    m_lastStatus = CdAudioStatus::Playing;
    return 0;
}

int CdAudioDevice::seek(const QStringList &args)
{
    if (args.isEmpty())
        return MCIERR_MISSING_PARAMETER;
    if (args.front() != u"to")
        return MCIERR_UNRECOGNIZED_KEYWORD;
    if (args.size() < 2)
        return MCIERR_MISSING_PARAMETER;
    if (args.size() > 2)
        return MCIERR_UNRECOGNIZED_KEYWORD;
    CdToc toc;
    if (const int error = readToc(toc))
        return error;
    int frame = 0;
    if (args.at(1) == u"start")
        frame = toc.tracks.front().start;
    else if (args.at(1) == u"end")
        frame = toc.leadOut;
    else if (const int error = parsePosition(args.at(1), toc, frame))
        return error;
    if (frame < toc.tracks.front().start || frame > toc.leadOut)
        return MCIERR_OUTOFRANGE;
    // A seek ends a play.
    CdSubchannel subchannel;
    if (!refresh(subchannel))
        return MCIERR_HARDWARE;
    if (subchannel.status != CdAudioStatus::Idle && !m_drive->Stop())
        return MCIERR_HARDWARE;
    m_position = frame;
    m_lastStatus = CdAudioStatus::Idle;
    return 0;
}

int CdAudioDevice::set(const QStringList &args)
{
    if (args.isEmpty())
        return MCIERR_MISSING_PARAMETER;
    if (args.size() >= 2 && args.at(0) == u"time" && args.at(1) == u"format") {
        if (args.size() < 3)
            return MCIERR_MISSING_PARAMETER;
        if (args.size() > 3)
            return MCIERR_UNRECOGNIZED_KEYWORD;
        const QString &format = args.at(2);
        if (format == u"msf")
            m_format = TimeFormat::Msf;
        else if (format == u"tmsf")
            m_format = TimeFormat::Tmsf;
        else if (format == u"milliseconds" || format == u"ms")
            m_format = TimeFormat::Milliseconds;
        else
            return MCIERR_BAD_TIME_FORMAT;
        return 0;
    }
    if (args.at(0) == u"door") {
        if (args.size() < 2)
            return MCIERR_MISSING_PARAMETER;
        if (args.size() > 2 || (args.at(1) != u"open" && args.at(1) != u"closed"))
            return MCIERR_UNRECOGNIZED_KEYWORD;
        if (args.at(1) == u"open") {
            if (!m_drive->CanEject())
                return MCIERR_UNSUPPORTED_FUNCTION;
            if (!m_drive->OpenTray())
                return MCIERR_HARDWARE;
        } else if (!m_drive->CloseTray()) {
            return MCIERR_HARDWARE;
        }
        // Whatever disc comes back starts at its beginning.
        m_position = -1;
        m_lastStatus = CdAudioStatus::Idle;
        return 0;
    }
    return MCIERR_UNRECOGNIZED_KEYWORD;
}

int CdAudioDevice::status(const QStringList &args, QString &reply)
{
    if (args.isEmpty())
        return MCIERR_MISSING_PARAMETER;
    const QString item = args.join(u' ');
    if (item == u"time format") {
        reply = m_format == TimeFormat::Msf    ? QStringLiteral("msf")
                : m_format == TimeFormat::Tmsf ? QStringLiteral("tmsf")
                                               : QStringLiteral("milliseconds");
        return 0;
    }
    CdToc toc;
    const int tocError = readToc(toc);
    if (tocError == MCIERR_HARDWARE)
        return tocError;
    if (item == u"ready" || item == u"media present") {
        reply = boolText(tocError == 0);
        return 0;
    }
    if (item == u"mode") {
        CdTray tray = CdTray::Closed;
        CdSubchannel subchannel;
        if (!m_drive->ReadTray(tray) || !refresh(subchannel))
            return MCIERR_HARDWARE;
        if (tray == CdTray::Open)
            reply = QStringLiteral("open");
        else if (tocError)
            reply = QStringLiteral("not ready");
        else if (subchannel.status == CdAudioStatus::Playing)
            reply = QStringLiteral("playing");
        else if (subchannel.status == CdAudioStatus::Paused)
            reply = QStringLiteral("paused");
        else
            reply = QStringLiteral("stopped");
        return 0;
    }
    const QString first = args.front();
    const bool known = item == u"number of tracks" || item == u"current track" || item == u"start position"
                       || first == u"length" || first == u"position" || (first == u"type" && args.size() > 1);
    if (!known)
        return MCIERR_UNRECOGNIZED_KEYWORD;
    if (tocError)
        return tocError;
    if (item == u"number of tracks") {
        reply = QString::number(toc.tracks.size());
        return 0;
    }
    if (item == u"start position") {
        reply = positionText(toc.tracks.front().start, toc);
        return 0;
    }
    int index = 0;
    if (first == u"type") {
        if (const int error = parseTrack(args, 1, toc, index))
            return error;
        reply = toc.tracks[index].audio ? QStringLiteral("audio") : QStringLiteral("other");
        return 0;
    }
    if (first == u"length") {
        if (args.size() == 1) {
            reply = lengthText(toc.leadOut - toc.tracks.front().start);
            return 0;
        }
        if (const int error = parseTrack(args, 1, toc, index))
            return error;
        const int end = index + 1 < int(toc.tracks.size()) ? toc.tracks[index + 1].start : toc.leadOut;
        reply = lengthText(end - toc.tracks[index].start);
        return 0;
    }
    if (first == u"position" && args.size() > 1) {
        if (const int error = parseTrack(args, 1, toc, index))
            return error;
        reply = positionText(toc.tracks[index].start, toc);
        return 0;
    }
    CdSubchannel subchannel;
    if (!refresh(subchannel))
        return MCIERR_HARDWARE;
    const int frame = currentFrame(toc);
    if (first == u"position")
        reply = positionText(frame, toc);
    else
        reply = QString::number(toc.tracks[trackIndexOf(frame, toc)].number);
    return 0;
}

int CdAudioDevice::capability(const QStringList &args, QString &reply)
{
    if (args.isEmpty())
        return MCIERR_MISSING_PARAMETER;
    const QString item = args.join(u' ');
    if (item == u"can eject")
        reply = boolText(m_drive->CanEject());
    else if (item == u"can play" || item == u"has audio")
        reply = boolText(true);
    else if (item == u"can record" || item == u"can save" || item == u"has video" || item == u"uses files"
             || item == u"compound device")
        reply = boolText(false);
    else if (item == u"device type")
        reply = QStringLiteral("cdaudio");
    else
        return MCIERR_UNRECOGNIZED_KEYWORD;
    return 0;
}

MciSystem::MciSystem(DriveSource source)
    : m_source(std::move(source))
{}

MciSystem::~MciSystem() = default;

int MciSystem::SendString(const QString &command, QString *reply)
{
    if (reply)
        reply->clear();
    QString answer;
    QStringList words;
    if (!splitWords(command, words))
        return MCIERR_NO_CLOSING_QUOTE;
    if (words.isEmpty())
        return MCIERR_MISSING_COMMAND_STRING;
    // Keywords are not case sensitive; neither are device names and aliases.
    for (QString &word : words)
        word = word.toLower();
    words.removeAll(QStringLiteral("notify"));
    const QString verb = words.takeFirst();
    static const QStringList verbs{QStringLiteral("open"),  QStringLiteral("close"),     QStringLiteral("play"),
                                   QStringLiteral("pause"), QStringLiteral("resume"),    QStringLiteral("stop"),
                                   QStringLiteral("seek"),  QStringLiteral("set"),       QStringLiteral("status"),
                                   QStringLiteral("info"),  QStringLiteral("capability")};
    if (!verbs.contains(verb))
        return MCIERR_UNRECOGNIZED_COMMAND;
    if (words.isEmpty())
        return MCIERR_MISSING_DEVICE_NAME;
    const QString name = words.takeFirst();

    if (verb == u"open") {
        QString alias = name;
        for (qsizetype i = 0; i < words.size(); ++i) {
            const QString &word = words.at(i);
            if (word == u"shareable")
                continue;
            if (word != u"alias" && word != u"type")
                return MCIERR_UNRECOGNIZED_KEYWORD;
            if (i + 1 >= words.size())
                return MCIERR_MISSING_PARAMETER;
            if (word == u"type" && words.at(i + 1) != u"cdaudio")
                return MCIERR_INVALID_DEVICE_NAME;
            if (word == u"alias")
                alias = words.at(i + 1);
            ++i;
        }
        if (name != u"cdaudio")
            return MCIERR_INVALID_DEVICE_NAME;
        if (m_devices.count(alias))
            return MCIERR_DEVICE_OPEN;
        std::shared_ptr<CdDrive> drive = m_source ? m_source() : nullptr;
        if (!drive)
            return MCIERR_DEVICE_NOT_INSTALLED;
        m_devices.emplace(alias, std::make_unique<CdAudioDevice>(std::move(drive)));
        // The answer to "open" is the device's number.
        if (reply)
            *reply = QString::number(m_devices.size());
        return 0;
    }
    if (verb == u"close") {
        if (!words.isEmpty())
            return MCIERR_UNRECOGNIZED_KEYWORD;
        if (name == u"all") {
            m_devices.clear();
        } else if (!m_devices.erase(name)) {
            return MCIERR_INVALID_DEVICE_NAME;
        }
        return 0;
    }
    const auto device = m_devices.find(name);
    if (device == m_devices.end())
        return MCIERR_INVALID_DEVICE_NAME;
    const int error = device->second->Execute(verb, words, answer);
    if (reply)
        *reply = error ? QString() : answer;
    return error;
}

QString MciSystem::ErrorString(int error)
{
    switch (error) {
    case MCIERR_NONE:
        return QStringLiteral("Der Befehl wurde ausgeführt.");
    case MCIERR_UNRECOGNIZED_KEYWORD:
        return QStringLiteral("Der Befehl enthält einen unbekannten Parameter.");
    case MCIERR_UNRECOGNIZED_COMMAND:
        return QStringLiteral("Der angegebene Befehl ist unbekannt.");
    case MCIERR_HARDWARE:
        return QStringLiteral("Das Gerät meldet einen Hardwarefehler. Prüfen Sie, ob das Laufwerk angeschlossen ist.");
    case MCIERR_INVALID_DEVICE_NAME:
        return QStringLiteral("Das angegebene Gerät ist nicht geöffnet oder unbekannt.");
    case MCIERR_DEVICE_OPEN:
        return QStringLiteral("Das Gerät ist unter diesem Namen bereits geöffnet.");
    case MCIERR_MISSING_COMMAND_STRING:
        return QStringLiteral("Es wurde kein Befehl angegeben.");
    case MCIERR_BAD_INTEGER:
        return QStringLiteral("Der Befehl enthält eine ungültige Zahl.");
    case MCIERR_MISSING_PARAMETER:
        return QStringLiteral("Dem Befehl fehlt ein Parameter.");
    case MCIERR_UNSUPPORTED_FUNCTION:
        return QStringLiteral("Das Gerät unterstützt diese Funktion nicht.");
    case MCIERR_DEVICE_NOT_READY:
        return QStringLiteral("Das Gerät ist nicht bereit. Legen Sie eine Audio-CD ein.");
    case MCIERR_OUTOFRANGE:
        return QStringLiteral("Ein Parameter liegt außerhalb des zulässigen Bereichs.");
    case MCIERR_MISSING_DEVICE_NAME:
        return QStringLiteral("Dem Befehl fehlt der Gerätename.");
    case MCIERR_BAD_TIME_FORMAT:
        return QStringLiteral("Das angegebene Zeitformat ist ungültig.");
    case MCIERR_NO_CLOSING_QUOTE:
        return QStringLiteral("Im Befehl fehlt ein schließendes Anführungszeichen.");
    case MCIERR_DEVICE_NOT_INSTALLED:
        return QStringLiteral("Es ist kein CD-Laufwerk vorhanden.");
    default:
        break;
    }
    return QStringLiteral("Unbekannter Fehler (%1).").arg(error);
}

MciSystem &MciSystem::Process()
{
    static MciSystem system(OpenConfiguredCdDrive);
    return system;
}

int MciSendString(const QString &command, QString *reply)
{
    return MciSystem::Process().SendString(command, reply);
}

QString MciGetErrorString(int error)
{
    return MciSystem::ErrorString(error);
}

} // namespace orvel
