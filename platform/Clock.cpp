#include "platform/Clock.h"

#include <QTimeZone>

#include <atomic>

namespace orvel {
namespace {

// Milliseconds since the epoch of the fixed time, or INT64_MIN for none.
std::atomic<int64_t> g_fixedMsecs{INT64_MIN};

} // namespace

QDateTime Clock::NowUtc()
{
    const int64_t fixed = g_fixedMsecs.load(std::memory_order_relaxed);
    if (fixed != INT64_MIN)
        return QDateTime::fromMSecsSinceEpoch(fixed, QTimeZone::utc());
    return QDateTime::currentDateTimeUtc();
}

int64_t Clock::NowUtcSeconds()
{
    return NowUtc().toSecsSinceEpoch();
}

QDateTime Clock::NowLocal()
{
    return NowUtc().toLocalTime();
}

QDate Clock::TodayUtc()
{
    return NowUtc().date();
}

QDate Clock::TodayLocal()
{
    return NowLocal().date();
}

void Clock::SetFixedTime(std::optional<QDateTime> utc)
{
    g_fixedMsecs.store(utc ? utc->toMSecsSinceEpoch() : INT64_MIN, std::memory_order_relaxed);
}

} // namespace orvel
