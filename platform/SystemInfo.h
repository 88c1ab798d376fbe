#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace orvel {

// What the About dialog tells of the machine: memory, processor, free disk
// space and the kernel's version. The readers take the text of the /proc
// files as input, so that any text (a damaged one too) can be fed to them;
// what cannot be read is left empty, never guessed.
class SystemInfo
{
public:
    enum class Processor { Unknown, I386, I486, Pentium };

    struct Memory
    {
        std::optional<std::uint64_t> availableKB;
        std::optional<std::uint64_t> totalKB;
    };

    struct KernelVersion
    {
        int major = 0;
        int minor = 0;
        int patch = 0;
    };

    // "MemAvailable" (else "MemFree") and "MemTotal" of /proc/meminfo, in KB.
    static Memory ParseMemInfo(QStringView text);
    // The first "cpu family" of an x86 /proc/cpuinfo: 3 a 386, 4 a 486, 5
    // and above a Pentium; any other text is an unknown processor.
    static Processor ParseCpuInfo(QStringView text);
    // Major, minor and patch number of a kernel release ("6.1.0-13-amd64");
    // numbers that are missing or unreadable are 0.
    static KernelVersion ParseKernelRelease(QStringView release);
    // Free space for the user's files in KB, from statvfs's counts; nothing
    // when they do not fit 64 bits.
    static std::optional<std::uint64_t> FreeKB(std::uint64_t availableBlocks, std::uint64_t blockSize);

    // The same, read from this machine.
    static Memory ReadMemory();
    static Processor ReadProcessor();
    static KernelVersion ReadKernelVersion();
    static std::optional<std::uint64_t> ReadFreeDiskKB(const QString &folder);

    // The dialog's lines in the string table's formats.
    static QString MemoryText(const std::optional<std::uint64_t> &kb);
    static QString ProcessorText(Processor processor);
    static QString DiskText(const std::optional<std::uint64_t> &kb);
    static QString SystemText(const KernelVersion &version);
};

} // namespace orvel
