#pragma once

namespace process {

// Which of the standard descriptors were closed when the program started.
struct ClosedStandardDescriptors {
    bool input = false;
    bool output = false;
    bool error = false;
};

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed, so that
// no file or socket the program opens later can take one of their numbers
// and receive what is meant for standard output (a careless service or cron
// job may start a program with them closed). Standard input is opened for
// reading, the other two for writing; a process that cannot open /dev/null
// ends at once with status 1. Called first thing in main.
ClosedStandardDescriptors OpenStandardDescriptors();

}  // namespace process
