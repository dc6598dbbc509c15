#pragma once

class QCursor;
class QWidget;

namespace look {

// The page-wide mouse pointer: one setting that applies over the page and
// every control on it.
enum PagePointer : int {
    kDefaultPointer = 0,
    kHourglass = 11,
    kCustomPointer = 99,  // the page's hand pointer when the cursor file loaded
};

void SetPagePointer(QWidget* page, int pointer);
int GetPagePointer(const QWidget* page);

// The image that pointer 99 shows on this page; without one it shows the
// ordinary arrow.
void SetCustomPointerImage(QWidget* page, const QCursor& image);
bool HasCustomPointerImage(const QWidget* page);

// Shows the hourglass on a page for as long as it lives and puts the default
// pointer back when it goes, also when the work in between fails.
class HourglassPointer {
public:
    explicit HourglassPointer(QWidget* page);
    ~HourglassPointer();
    HourglassPointer(const HourglassPointer&) = delete;
    HourglassPointer& operator=(const HourglassPointer&) = delete;

private:
    QWidget* page_;
};

}  // namespace look
