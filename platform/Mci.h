#pragma once

#include "platform/CdDrive.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>

namespace orvel {

// Error codes of the multimedia command strings, numbered as the Windows
// interface numbers them (0 is success).
enum MciError : int {
    MCIERR_NONE = 0,
    MCIERR_UNRECOGNIZED_KEYWORD = 259,
    MCIERR_UNRECOGNIZED_COMMAND = 261,
    MCIERR_HARDWARE = 262,
    MCIERR_INVALID_DEVICE_NAME = 263,
    MCIERR_DEVICE_OPEN = 265,
    MCIERR_MISSING_COMMAND_STRING = 267,
    MCIERR_BAD_INTEGER = 270,
    MCIERR_MISSING_PARAMETER = 273,
    MCIERR_UNSUPPORTED_FUNCTION = 274,
    MCIERR_DEVICE_NOT_READY = 276,
    MCIERR_OUTOFRANGE = 282,
    MCIERR_MISSING_DEVICE_NAME = 292,
    MCIERR_BAD_TIME_FORMAT = 293,
    MCIERR_NO_CLOSING_QUOTE = 294,
    MCIERR_DEVICE_NOT_INSTALLED = 306,
};

class CdAudioDevice;

// The multimedia command-string interface for the one device type the
// program uses, "cdaudio": commands such as "open cdaudio shareable",
// "play cdaudio from 3", "status cdaudio position" or "set cdaudio door
// open", with the same replies ("playing", "true", "03:01:25:10") and error
// codes. Keywords are not case sensitive. A command that is not understood
// answers with an error code, never more.
//
// Commands and keywords:
//   open <device> [shareable] [alias <name>] [type cdaudio]   reply: "1"
//   close <name>|all
//   play <name> [from <position>] [to <position>]
//   pause, resume, stop <name>
//   seek <name> to <position>|start|end
//   set <name> time format msf|tmsf|milliseconds|ms
//   set <name> door open|closed
//   status <name> mode|ready|media present|number of tracks|current track
//              |time format|start position|length [track <n>]
//              |position [track <n>]|type track <n>
//   capability <name> can eject|can play|can record|can save|has audio
//              |has video|uses files|compound device|device type
//   info <name> product
// "notify" is accepted and ignored: nobody is told when a command ends.
// Positions follow the time format: msf "mm:ss:ff" (from the start of the
// disc), tmsf "tt:mm:ss:ff" (track, then the time in it), milliseconds a
// number; parts left off at the end count as 0. Lengths are "mm:ss:ff" in
// both msf and tmsf.
class MciSystem
{
public:
    using DriveSource = std::function<std::shared_ptr<CdDrive>()>;

    // The drives come from the source when a device is opened.
    explicit MciSystem(DriveSource source);
    ~MciSystem();
    MciSystem(const MciSystem &) = delete;
    MciSystem &operator=(const MciSystem &) = delete;

    // Carries out one command. The reply (if asked for) receives the answer,
    // or nothing after an error. Returns 0 or an MciError.
    int SendString(const QString &command, QString *reply);

    // The German text of an error code.
    static QString ErrorString(int error);

    // The process's interface, over OpenConfiguredCdDrive().
    static MciSystem &Process();

private:
    std::map<QString, std::unique_ptr<CdAudioDevice>> m_devices;
    DriveSource m_source;
};

// The process's interface, as the program's windows use it.
int MciSendString(const QString &command, QString *reply);
QString MciGetErrorString(int error);

} // namespace orvel
