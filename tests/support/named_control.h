#pragma once

#include <stdexcept>
#include <string>

#include <QObject>
#include <QString>
#include <QWidget>

namespace testing_support {

// A page's control found by its object name, as a skin finds it
// (testing_support::Named<QLineEdit>(login, "Text1")). A control that is missing, or is not
// of that type, fails the test with its name.
template <typename Control = QWidget>
Control* Named(const QObject& page, const char* name) {
    auto* control = page.findChild<Control*>(QLatin1String(name));
    if (control == nullptr)
        throw std::logic_error(page.objectName().toStdString() + " has no control " + name + " of that type");
    return control;
}

template <typename Control = QWidget>
Control* Named(const QObject* page, const char* name) {
    return testing_support::Named<Control>(*page, name);
}

}  // namespace testing_support
