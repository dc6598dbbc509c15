#pragma once

#include <functional>
#include <memory>
#include <mutex>

class QObject;

namespace app {

// Work that waits on the network or the disk, run on a thread of its own so
// that the window keeps painting. When the work is done, `done` runs on the
// receiver's thread, unless the receiver is gone by then; the work itself
// never touches the receiver. A thread still waiting when the program ends
// does not hold it up (see BackgroundWorkRunning()).
class BackgroundWork {
public:
    // A way for the receiver's thread to ask the work to give up its wait:
    // the work registers how to cut what it waits on (a connection), and
    // Cancel() calls that, at once or as soon as it is registered.
    class Cancel {
    public:
        void SetCutter(std::function<void()> cut);
        void ClearCutter();
        void Now();
        bool requested() const;

    private:
        mutable std::mutex mutex_;
        std::function<void()> cut_;
        bool requested_ = false;
    };

    static std::shared_ptr<Cancel> Run(QObject* receiver, std::function<void(Cancel&)> work,
                                       std::function<void()> done);
};

// True while any background work has not ended: the program then ends at
// once instead of waiting for a wait that closing the window gave up.
bool BackgroundWorkRunning();

}  // namespace app
