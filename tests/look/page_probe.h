#pragma once

#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include "pages/fields/form3.h"
#include "pages/login/form1.h"
#include "pages/output/form4.h"
#include "pages/table/form2.h"
#include "support/test_files.h"
#include "wizard/wizard.h"

// Small helpers the look tests share.
namespace look_probe {

// A control of a page by its object name; fails the test when it is missing.
inline QWidget* Control(QWidget* page, const char* name) {
    auto* control = page->findChild<QWidget*>(QLatin1String(name));
    EXPECT_NE(control, nullptr) << page->objectName().toStdString() << " has no " << name;
    return control;
}

// One mouse move over the middle of a widget, delivered the way Qt delivers
// a real one (to the widget, then up to its parents while nobody takes it).
inline void MoveOver(QWidget* widget) {
    const QPointF local(widget->width() / 2.0, widget->height() / 2.0);
    QMouseEvent move(QEvent::MouseMove, local, widget->mapToGlobal(local), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
}

using testing_support::WriteFile;

// The four pages, each touched (created and loaded) in turn.
inline std::vector<QWidget*> AllPages(wizard::Wizard& wizard) {
    return {&wizard.EnsurePage<pages::Form1>(), &wizard.EnsurePage<pages::Form2>(), &wizard.EnsurePage<pages::Form3>(),
            &wizard.EnsurePage<pages::Form4>()};
}

// One of the four pages by its object name ("Form1" .. "Form4").
inline QWidget* PageNamed(wizard::Wizard& wizard, const char* name) {
    for (QWidget* page : AllPages(wizard))
        if (page->objectName() == QLatin1String(name)) return page;
    ADD_FAILURE() << "no page " << name;
    return nullptr;
}

}  // namespace look_probe
