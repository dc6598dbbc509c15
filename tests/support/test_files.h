#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace testing_support {

// The whole file; "<unreadable>" when it cannot be read.
QByteArray ReadFile(const QString& path);
// Writes the file, and the folders it needs; a failure fails the test.
void WriteFile(const QString& path, const QByteArray& bytes);
// Every entry of a folder, hidden ones included: a temporary file left
// behind shows up here.
QStringList FolderEntries(const QString& folder);

}  // namespace testing_support
