#pragma once

#include <chrono>
#include <ctime>

namespace db {

// The clock of the waits for the server: the kernel's coarse monotonic clock.
// It counts in steps of a few milliseconds, which the bounds (whole seconds)
// do not notice, and reads in a third of the time of the precise one; the
// export reads it for every row, where the precise clock cost a tenth of the
// program's time.
struct WaitClock {
    // NOLINTBEGIN(readability-identifier-naming): the names every standard clock has
    using duration = std::chrono::nanoseconds;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<WaitClock>;
    static constexpr bool is_steady = true;
    // NOLINTEND(readability-identifier-naming)

    static time_point now() noexcept {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
        return time_point(std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec));
    }
};

// Seconds from started until now.
inline double SecondsSince(WaitClock::time_point started) {
    return std::chrono::duration<double>(WaitClock::now() - started).count();
}

}  // namespace db
