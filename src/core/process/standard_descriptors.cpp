#include "process/standard_descriptors.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace process {
namespace {

// True when the descriptor was closed and is now open on /dev/null.
bool OpenIfClosed(int descriptor, int mode) {
    if (::fcntl(descriptor, F_GETFD) >= 0 || errno != EBADF) return false;
    // The lowest free number is taken: the one that is closed, as the lower
    // ones are open by now.
    const int opened = ::open("/dev/null", mode);
    // Without /dev/null the hole cannot be filled: better not to run at all.
    if (opened < 0) ::_exit(1);
    if (opened != descriptor) {
        ::dup2(opened, descriptor);
        ::close(opened);
    }
    return true;
}

}  // namespace

ClosedStandardDescriptors OpenStandardDescriptors() {
    ClosedStandardDescriptors closed;
    closed.input = OpenIfClosed(STDIN_FILENO, O_RDONLY);
    closed.output = OpenIfClosed(STDOUT_FILENO, O_WRONLY);
    closed.error = OpenIfClosed(STDERR_FILENO, O_WRONLY);
    return closed;
}

}  // namespace process
