#pragma once

#include <QString>

namespace app {

enum class MessageIcon { None, Warning };

// Shows a modal message box with an OK button only. The real one is a
// QMessageBox; tests install one that records what would have been shown.
class Messenger {
public:
    virtual ~Messenger() = default;
    virtual void Show(const QString& title, const QString& text, MessageIcon icon) = 0;
};

}  // namespace app
