#include "pages/table/form2.h"

#include <QListWidget>

#include "db/connection.h"
#include "db/table_queries.h"
#include "pages/fields/field_lists.h"
#include "pages/fields/form3.h"
#include "pages/page_steps.h"
#include "pages/server_reading.h"
#include "ui_form2.h"
#include "wizard/wizard.h"

namespace pages {

Form2::Form2(wizard::Wizard& wizard)
    : WizardPage(wizard, QStringLiteral("Form2"), Look()), ui_(std::make_unique<Ui::Form2>()) {
    ui_->setupUi(this);
    DressAsLaidOut();
    connect(ui_->PushButton2, &QPushButton::clicked, this, &Form2::PushButton2_Click);
    connect(ui_->PushButton3, &QPushButton::clicked, this, &Form2::PushButton3_Click);
}

Form2::~Form2() = default;

void Form2::ClearTables() { ui_->List1->clear(); }

void Form2::AddTable(const QString& name) { ui_->List1->addItem(name); }

void Form2::SelectFirstTable() {
    if (ui_->List1->count() > 0) ui_->List1->setCurrentRow(0);
}

void Form2::Form_Load() {
    app::ErrorTrap trap = Trap(QStringLiteral("Form_Load"));
    DressLoadingPage(trap);
}

void Form2::PushButton2_Click() {
    // Going back gives up the wait for a preview: the field page never
    // comes up for it.
    databaseActions_.Cancel();
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton2_Click"));
    trap.Step(table_steps::kBackShowLoginPage, [&] { wizard_.EnsurePrevious(*this).show(); });
    trap.Step(table_steps::kBackHide, [&] { hide(); });
}

// What "Next >" reads from the server, off the window's thread.
struct PreviewReading {
    QString tableName;
    ServerReading preview;
};

void Form2::PushButton3_Click() {
    if (wizard_.databaseBusy()) return;
    if (SelectedRow(ui_->List1) < 0) {
        app::ErrorTrap trap = Trap(QStringLiteral("PushButton3_Click"));
        trap.Step(table_steps::kNextNoTableSelected, [&] { wizard_.Tell(QStringLiteral("Please select a table")); });
        return;
    }
    const db::LoginValues values = wizard_.CurrentLoginValues();
    auto reading = std::make_shared<PreviewReading>();
    reading->tableName = ui_->List1->currentItem()->text();
    databaseActions_.Run(
        [values, options = ReadingOptions(), reading](app::BackgroundWork::Cancel& cancel) {
            reading->preview.Read(values, options, cancel, [&](db::Connection& connection) {
                return db::PreviewTable(connection, reading->tableName);
            });
        },
        [this, reading] { ShowFields(*reading); },
        // The list stays as it is while the selected table is read, so that
        // the table shown selected is the one previewed and exported.
        {ui_->List1, ui_->PushButton3});
}

void Form2::ShowFields(PreviewReading& reading) {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton3_Click"));
    trap.Step(table_steps::kNextConnect, [&] { reading.preview.ThrowIfNotConnected(); });
    trap.Step(table_steps::kNextRememberTable, [&] { wizard_.state().tableName = reading.tableName; });
    Form3* fields = nullptr;
    trap.Step(table_steps::kNextShowFieldPage, [&] {
        fields = &wizard_.EnsurePage<Form3>();
        fields->show();
    });
    if (fields == nullptr) return;
    // The field page is on screen while it fills, alone: a report of one of
    // the steps below (a preview that timed out) stands over the page it
    // concerns, not over two pages at once.
    trap.Step(table_steps::kNextHide, [&] { hide(); });
    const bool previewRead = fields->ShowTableColumns(
        trap, reading.tableName, reading.preview,
        {table_steps::kNextClearFields, table_steps::kNextClearPreview, table_steps::kNextReadPreview,
         table_steps::kNextShowPreview, table_steps::kNextAddField});
    fields->Arrive(trap, {table_steps::kNextButtonStates, table_steps::kNextSelectFirst, table_steps::kNextFocusGrid});
    trap.Step(table_steps::kNextDropChosenFields, [&] { fields->DropChosenFromAvailable(previewRead); });
}

}  // namespace pages
