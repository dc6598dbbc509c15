// Preloaded (LD_PRELOAD) into a program under test: its flushes to the disk
// fail as they would on a disk that reports an error.
#include <cerrno>

// NOLINTNEXTLINE(readability-identifier-naming): it stands in for the C library's own.
extern "C" int fdatasync(int) {
    errno = EIO;
    return -1;
}

// NOLINTNEXTLINE(readability-identifier-naming): it stands in for the C library's own.
extern "C" int fsync(int) {
    errno = EIO;
    return -1;
}
