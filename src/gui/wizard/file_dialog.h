#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace wizard {

// The save-file dialog. The real one is a QFileDialog; tests install one
// that records the request and answers with a name of their choosing.
class FileDialog {
public:
    virtual ~FileDialog() = default;
    // Asks for a file name to save to; the empty text when the user cancels.
    // No overwrite prompt; the first filter is selected.
    virtual QString GetSaveFileName(QWidget* parent, const QString& title, const QStringList& filters) = 0;
};

}  // namespace wizard
