#include "page_filling.h"

#include <stdexcept>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>

#include "pages/fields/form3.h"
#include "pages/login/form1.h"
#include "pages/output/form4.h"
#include "pages/table/form2.h"
#include "wizard/wizard.h"

namespace screenshots {
namespace {

// A page's control by its object name, as a skin finds it.
template <typename Control>
Control* Named(const QWidget& page, const char* name) {
    auto* control = page.findChild<Control*>(QLatin1String(name));
    if (control == nullptr) throw std::runtime_error(page.objectName().toStdString() + " has no " + name);
    return control;
}

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
    if (!wizard.pageMade(pages::PageKind::Table) || !wizard.EnsurePage<pages::Form2>().isVisible())
        throw std::runtime_error("the wizard did not sign in by itself");
    pages::Form2& tables = wizard.EnsurePage<pages::Form2>();
    Select(Named<QListWidget>(tables, "List1"), table);
    tables.PushButton3_Click();
    WaitForDatabase(wizard);

    pages::Form3& chooser = wizard.EnsurePage<pages::Form3>();
    for (const QString& field : fields) {
        Select(Named<QListWidget>(chooser, "List1"), field);
        chooser.PushButton5_Click();
    }
    if (Named<QListWidget>(chooser, "List1")->count() > 0) Named<QListWidget>(chooser, "List1")->setCurrentRow(0);
    chooser.PushButton3_Click();

    // The tables list shows the table that was picked; the login page and
    // the output path show the usual values rather than those of a
    // throwaway server and folder.
    Select(Named<QListWidget>(tables, "List1"), table);
    Named<QLineEdit>(wizard.EnsurePage<pages::Form1>(), "Text1")->setText(QStringLiteral("localhost"));
    Named<QLineEdit>(wizard.EnsurePage<pages::Form1>(), "Text5")->setText(QStringLiteral("3306"));
    Named<QLineEdit>(wizard.EnsurePage<pages::Form4>(), "Text1")->setText(SampleOutputPath());
}

void FillWithSampleValues(wizard::Wizard& wizard) {
    pages::Form1& login = wizard.EnsurePage<pages::Form1>();
    Named<QLineEdit>(login, "Text1")->setText(QStringLiteral("localhost"));
    Named<QLineEdit>(login, "Text2")->setText(QStringLiteral("ann"));
    Named<QLineEdit>(login, "Text3")->setText(QStringLiteral("secret"));
    Named<QLineEdit>(login, "Text4")->setText(QStringLiteral("sample"));
    Named<QLineEdit>(login, "Text5")->setText(QStringLiteral("3306"));

    QListWidget* tables = Named<QListWidget>(wizard.EnsurePage<pages::Form2>(), "List1");
    tables->clear();
    tables->addItems({QStringLiteral("customers"), QStringLiteral("empty_table"), QStringLiteral("orders"),
                      QStringLiteral("products")});
    tables->setCurrentRow(0);

    pages::Form3& chooser = wizard.EnsurePage<pages::Form3>();
    auto* rows = new QStandardItemModel(0, 4, Named<QTableView>(chooser, "DataGrid1"));  // owned by the grid
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
    Named<QTableView>(chooser, "DataGrid1")->setModel(rows);
    Named<QListWidget>(chooser, "List1")->clear();
    Named<QListWidget>(chooser, "List1")
        ->addItems({QStringLiteral("id"), QStringLiteral("joined"), QStringLiteral("credit"), QStringLiteral("note")});
    Named<QListWidget>(chooser, "List1")->setCurrentRow(0);
    Named<QListWidget>(chooser, "List2")->clear();
    Named<QListWidget>(chooser, "List2")
        ->addItems({QStringLiteral("name"), QStringLiteral("city"), QStringLiteral("email")});
    chooser.ApplyButtonStateRule();

    Named<QLineEdit>(wizard.EnsurePage<pages::Form4>(), "Text1")->setText(SampleOutputPath());
}

}  // namespace screenshots
