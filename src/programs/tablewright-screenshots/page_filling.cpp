#include "page_filling.h"

#include <stdexcept>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QStandardItemModel>
#include <QTableView>

#include "pages/fields/form3.h"
#include "pages/login/form1.h"
#include "pages/output/form4.h"
#include "pages/table/form2.h"
#include "wizard/wizard.h"

namespace screenshots {
namespace {

void Select(QListWidget* list, const QString& entry) {
    const QList<QListWidgetItem*> found = list->findItems(entry, Qt::MatchExactly);
    if (found.isEmpty())
        throw std::runtime_error("no entry \"" + entry.toStdString() + "\" in " + list->objectName().toStdString());
    list->setCurrentItem(found.first());
}

// Lets the wizard's database action (the sign-in, "Next >") run to its end.
void WaitForDatabase(wizard::Wizard& wizard) {
    const QDeadlineTimer deadline(60000);
    while (wizard.databaseBusy() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

}  // namespace

QString SampleOutputPath() { return QStringLiteral("/home/ann/Desktop/output.txt"); }

void FillFromServer(wizard::Wizard& wizard, const QString& table, const QStringList& fields) {
    WaitForDatabase(wizard);
    if (!wizard.hasPage(2) || !wizard.form2().isVisible())
        throw std::runtime_error("the wizard did not sign in by itself");
    pages::Form2& tables = wizard.form2();
    Select(tables.List1(), table);
    tables.PushButton3_Click();
    WaitForDatabase(wizard);

    pages::Form3& chooser = wizard.form3();
    for (const QString& field : fields) {
        Select(chooser.List1(), field);
        chooser.PushButton5_Click();
    }
    if (chooser.List1()->count() > 0) chooser.List1()->setCurrentRow(0);
    chooser.PushButton3_Click();

    // The tables list shows the table that was picked; the login page and
    // the output path show the usual values rather than those of a
    // throwaway server and folder.
    Select(tables.List1(), table);
    wizard.form1().Text1()->setText(QStringLiteral("localhost"));
    wizard.form1().Text5()->setText(QStringLiteral("3306"));
    wizard.form4().Text1()->setText(SampleOutputPath());
}

void FillWithSampleValues(wizard::Wizard& wizard) {
    pages::Form1& login = wizard.form1();
    login.Text1()->setText(QStringLiteral("localhost"));
    login.Text2()->setText(QStringLiteral("ann"));
    login.Text3()->setText(QStringLiteral("secret"));
    login.Text4()->setText(QStringLiteral("sample"));
    login.Text5()->setText(QStringLiteral("3306"));

    QListWidget* tables = wizard.form2().List1();
    tables->clear();
    tables->addItems({QStringLiteral("customers"), QStringLiteral("empty_table"), QStringLiteral("orders"),
                      QStringLiteral("products")});
    tables->setCurrentRow(0);

    pages::Form3& chooser = wizard.form3();
    auto* rows = new QStandardItemModel(0, 4, chooser.DataGrid1());  // owned by the grid
    rows->setHorizontalHeaderLabels(
        {QStringLiteral("id"), QStringLiteral("name"), QStringLiteral("city"), QStringLiteral("email")});
    const QStringList sample[] = {
        {QStringLiteral("1"), QStringLiteral("Ann Bauer"), QStringLiteral("Berlin"), QStringLiteral("ann@example.com")},
        {QStringLiteral("2"), QStringLiteral("Bolesław Żółkiewski"), QStringLiteral("Kraków"), QString()},
        {QStringLiteral("3"), QStringLiteral("Chidi Okafor"), QStringLiteral("Lagos"),
         QStringLiteral("chidi@example.org")},
    };
    for (const QStringList& values : sample) {
        QList<QStandardItem*> row;
        for (const QString& value : values) row.append(new QStandardItem(value));
        rows->appendRow(row);
    }
    chooser.DataGrid1()->setModel(rows);
    chooser.List1()->clear();
    chooser.List1()->addItems(
        {QStringLiteral("id"), QStringLiteral("joined"), QStringLiteral("credit"), QStringLiteral("note")});
    chooser.List1()->setCurrentRow(0);
    chooser.List2()->clear();
    chooser.List2()->addItems({QStringLiteral("name"), QStringLiteral("city"), QStringLiteral("email")});
    chooser.ApplyButtonStateRule();

    wizard.form4().Text1()->setText(SampleOutputPath());
}

}  // namespace screenshots
