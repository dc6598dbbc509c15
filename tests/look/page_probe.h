#pragma once

#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include "pages/page_kind.h"
#include "pages/wizard_page.h"
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

// Every page of the wizard's page table, each touched (created and loaded)
// in the table's order.
inline std::vector<QWidget*> AllPages(wizard::Wizard& wizard) {
    std::vector<QWidget*> all;
    for (const pages::PageKind kind : wizard::Wizard::pageOrder()) all.push_back(&wizard.EnsurePage(kind));
    return all;
}

// One of the pages by its object name ("Form1" .. "Form4").
inline QWidget* PageNamed(wizard::Wizard& wizard, const char* name) {
    for (QWidget* page : AllPages(wizard))
        if (page->objectName() == QLatin1String(name)) return page;
    ADD_FAILURE() << "no page " << name;
    return nullptr;
}

}  // namespace look_probe
