#pragma once

#include <QDate>
#include <QDateTime>

#include <cstdint>
#include <optional>

namespace orvel {

// Everything that reads the time goes through here, so that tests can set
// it: date input fills missing parts from today's date, records are stamped
// with their modification time.
class Clock
{
public:
    // Seconds since 1970-01-01 UTC.
    static int64_t NowUtcSeconds();
    static QDateTime NowUtc();
    static QDateTime NowLocal();
    static QDate TodayUtc();
    static QDate TodayLocal();

    // Fixes the time for tests; std::nullopt returns to the system clock.
    static void SetFixedTime(std::optional<QDateTime> utc);
};

// Sets a fixed time for the lifetime of a scope (tests).
class ScopedFixedTime
{
public:
    explicit ScopedFixedTime(const QDateTime &utc) { Clock::SetFixedTime(utc); }
    ~ScopedFixedTime() { Clock::SetFixedTime(std::nullopt); }
    ScopedFixedTime(const ScopedFixedTime &) = delete;
    ScopedFixedTime &operator=(const ScopedFixedTime &) = delete;
};

} // namespace orvel
