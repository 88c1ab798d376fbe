#include "platform/SystemInfo.h"

#include "resources/StringIds.h"
#include "resources/StringTable.h"

#include <QFile>

#include <charconv>

#include <sys/statvfs.h>
#include <sys/utsname.h>

namespace orvel {

namespace {

// A /proc file: its size is 0, so it is read until its end; a limit keeps a
// strange file from filling the memory.
QString readProcFile(const char *path)
{
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromLatin1(file.read(1 << 20));
}

std::optional<std::uint64_t> parseUnsigned(QStringView text)
{
    const QByteArray bytes = text.trimmed().toLatin1();
    const char *first = bytes.constData();
    const char *last = first + bytes.size();
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end == first)
        return std::nullopt;
    return value;
}

// The value of "key: value" lines; the first line with the key counts.
std::optional<QStringView> valueOf(QStringView text, QStringView key)
{
    for (QStringView line : text.tokenize(u'\n')) {
        const qsizetype colon = line.indexOf(u':');
        if (colon < 0 || line.left(colon).trimmed() != key)
            continue;
        return line.mid(colon + 1).trimmed();
    }
    return std::nullopt;
}

// A meminfo amount, "16314000 kB".
std::optional<std::uint64_t> memInfoKB(QStringView text, QStringView key)
{
    const auto value = valueOf(text, key);
    if (!value)
        return std::nullopt;
    QStringView number = *value;
    if (number.endsWith(u"kB"))
        number.chop(2);
    else
        return std::nullopt; // another unit would need its own factor
    return parseUnsigned(number);
}

// The string-table format with its "%lu" or "%d" conversions replaced by
// the numbers in turn.
QString formatNumbers(const QString &format, std::initializer_list<std::uint64_t> values)
{
    QString out;
    auto next = values.begin();
    for (qsizetype i = 0; i < format.size(); ++i) {
        QStringView rest = QStringView(format).mid(i);
        qsizetype length = 0;
        if (rest.startsWith(u"%lu"))
            length = 3;
        else if (rest.startsWith(u"%d"))
            length = 2;
        if (length > 0 && next != values.end()) {
            out += QString::number(*next++);
            i += length - 1;
        } else {
            out += format[i];
        }
    }
    return out;
}

} // namespace

SystemInfo::Memory SystemInfo::ParseMemInfo(QStringView text)
{
    Memory memory;
    memory.totalKB = memInfoKB(text, u"MemTotal");
    memory.availableKB = memInfoKB(text, u"MemAvailable");
    if (!memory.availableKB)
        memory.availableKB = memInfoKB(text, u"MemFree"); // kernels before 3.14
    return memory;
}

SystemInfo::Processor SystemInfo::ParseCpuInfo(QStringView text)
{
    // Only x86 names its "cpu family" by number (and its maker by vendor_id).
    if (!valueOf(text, u"vendor_id"))
        return Processor::Unknown;
    const auto family = valueOf(text, u"cpu family");
    const auto number = family ? parseUnsigned(*family) : std::nullopt;
    if (!number)
        return Processor::Unknown;
    if (*number == 3)
        return Processor::I386;
    if (*number == 4)
        return Processor::I486;
    if (*number >= 5)
        return Processor::Pentium;
    return Processor::Unknown;
}

SystemInfo::KernelVersion SystemInfo::ParseKernelRelease(QStringView release)
{
    int numbers[3] = {0, 0, 0};
    qsizetype pos = 0;
    for (int &number : numbers) {
        qsizetype end = pos;
        while (end < release.size() && release[end].isDigit() && release[end].unicode() < 128)
            ++end;
        if (end == pos)
            break;
        const QByteArray digits = release.mid(pos, end - pos).toLatin1();
        int value = 0;
        const auto [ptr, error] = std::from_chars(digits.constData(), digits.constData() + digits.size(), value);
        if (error != std::errc() || ptr != digits.constData() + digits.size())
            break;
        number = value;
        if (end >= release.size() || release[end] != u'.')
            break;
        pos = end + 1;
    }
    return {numbers[0], numbers[1], numbers[2]};
}

std::optional<std::uint64_t> SystemInfo::FreeKB(std::uint64_t availableBlocks, std::uint64_t blockSize)
{
    std::uint64_t bytes = 0;
    if (__builtin_mul_overflow(availableBlocks, blockSize, &bytes)) {
        // Whole kilobytes per block keep the product in range longer.
        if (blockSize % 1024 != 0 || __builtin_mul_overflow(availableBlocks, blockSize / 1024, &bytes))
            return std::nullopt;
        return bytes;
    }
    return bytes / 1024;
}

SystemInfo::Memory SystemInfo::ReadMemory()
{
    return ParseMemInfo(readProcFile("/proc/meminfo"));
}

SystemInfo::Processor SystemInfo::ReadProcessor()
{
    return ParseCpuInfo(readProcFile("/proc/cpuinfo"));
}

SystemInfo::KernelVersion SystemInfo::ReadKernelVersion()
{
    struct utsname name
    {};
    if (::uname(&name) != 0)
        return {};
    return ParseKernelRelease(QString::fromLatin1(name.release));
}

std::optional<std::uint64_t> SystemInfo::ReadFreeDiskKB(const QString &folder)
{
    struct statvfs info
    {};
    if (::statvfs(QFile::encodeName(folder).constData(), &info) != 0)
        return std::nullopt;
    return FreeKB(info.f_bavail, info.f_frsize ? info.f_frsize : info.f_bsize);
}

QString SystemInfo::MemoryText(const std::optional<std::uint64_t> &kb)
{
    if (!kb)
        return LoadQString(ids::kProcessorUnknown);
    return formatNumbers(LoadQString(ids::kAmountKB), {*kb});
}

QString SystemInfo::ProcessorText(Processor processor)
{
    switch (processor) {
    case Processor::I386:
        return LoadQString(ids::kProcessor386);
    case Processor::I486:
        return LoadQString(ids::kProcessor486);
    case Processor::Pentium:
        return LoadQString(ids::kProcessorPentium);
    case Processor::Unknown:
        break;
    }
    return LoadQString(ids::kProcessorUnknown);
}

QString SystemInfo::DiskText(const std::optional<std::uint64_t> &kb)
{
    if (!kb)
        return LoadQString(ids::kDiskNoSpace);
    return formatNumbers(LoadQString(ids::kDiskFreeKB), {*kb});
}

QString SystemInfo::SystemText(const KernelVersion &version)
{
    return formatNumbers(LoadQString(ids::kSystemLinux),
                         {std::uint64_t(version.major), std::uint64_t(version.minor), std::uint64_t(version.patch)});
}

} // namespace orvel
