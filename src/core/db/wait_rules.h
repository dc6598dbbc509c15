#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include <QString>

namespace db {

// A wait for the server that outlasts this long is told about (see
// WaitRules::stillWaiting).
inline constexpr unsigned kStillWaitingSeconds = 10;

// The number of a failure that is a wait for the server that hit its bound.
inline constexpr unsigned kNoAnswerInTime = (1u << 30) + 1;

// How long a connection's waits for the server may last, and whom they tell.
struct WaitRules {
    QString server;             // the server's name, for the words of a failure
    unsigned boundSeconds = 0;  // how long one wait may last; 0: as long as it takes
    // Called on the connection's thread once a wait has lasted
    // stillWaitingSeconds, with the bound it waits up to.
    std::function<void(unsigned boundSeconds)> stillWaiting;
    unsigned stillWaitingSeconds = kStillWaitingSeconds;
    // Set once a wait was given up (its bound reached, the connection cut
    // or a result abandoned): the server may still be running the
    // statement. Set from any thread.
    std::shared_ptr<std::atomic<bool>> givenUp = std::make_shared<std::atomic<bool>>(false);
};

}  // namespace db
