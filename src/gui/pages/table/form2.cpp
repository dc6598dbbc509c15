#include "pages/table/form2.h"

#include <optional>

#include <QListWidget>
#include <QTableView>

#include "db/connection.h"
#include "db/connection_text.h"
#include "db/table_queries.h"
#include "look/page_pointer.h"
#include "pages/fields/field_lists.h"
#include "pages/fields/list_routines.h"
#include "pages/page_steps.h"

#include "look/look.h"
#include "pages/fields/form3.h"
#include "pages/login/form1.h"
#include "ui_form2.h"
#include "wizard/wizard.h"

namespace pages {

Form2::Form2(wizard::Wizard& wizard) : WizardPage(wizard, QStringLiteral("Form2")), ui_(std::make_unique<Ui::Form2>()) {
    ui_->setupUi(this);
    look::DressPage(this);
    connect(ui_->PushButton2, &QPushButton::clicked, this, &Form2::PushButton2_Click);
    connect(ui_->PushButton3, &QPushButton::clicked, this, &Form2::PushButton3_Click);
}

Form2::~Form2() = default;

QListWidget* Form2::List1() const { return ui_->List1; }
QPushButton* Form2::PushButton2() const { return ui_->PushButton2; }
QPushButton* Form2::PushButton3() const { return ui_->PushButton3; }

void Form2::Form_Load() {
    app::ErrorTrap trap = Trap(QStringLiteral("Form_Load"));
    DressLoadingPage(trap);
}

void Form2::PushButton2_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton2_Click"));
    trap.Step(table_steps::kBackShowLoginPage, [&] { wizard_.form1().show(); });
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
    RunDatabaseAction(
        [values, options = ReadingOptions(), reading](app::BackgroundWork::Cancel& cancel) {
            reading->preview.Read(values, options, cancel, [&](db::Connection& connection) {
                return db::PreviewTable(connection, reading->tableName);
            });
        },
        [this, reading] { ShowFields(*reading); });
}

void Form2::ShowFields(PreviewReading& reading) {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton3_Click"));
    trap.Step(table_steps::kNextConnect, [&] { reading.preview.ThrowIfNotConnected(); });
    trap.Step(table_steps::kNextRememberTable, [&] { wizard_.state().tableName = reading.tableName; });
    Form3* fields = nullptr;
    trap.Step(table_steps::kNextShowFieldPage, [&] {
        fields = &wizard_.form3();
        fields->show();
    });
    if (fields == nullptr) return;
    trap.Step(table_steps::kNextClearFields, [&] { fields->List1()->clear(); });
    trap.Step(table_steps::kNextClearPreview, [&] { fields->preview()->SetResult(db::StoredResult()); });
    // Without a connection there is nothing to preview; its failure has been
    // reported once already.
    bool previewRead = false;
    if (reading.preview.connected) {
        const bool read = trap.Step(table_steps::kNextReadPreview, [&] { reading.preview.ThrowIfNotRead(); });
        if (read) {
            previewRead = true;
            trap.Step(table_steps::kNextShowPreview,
                      [&] { fields->preview()->SetResult(std::move(reading.preview.rows)); });
            for (const db::ColumnInfo& column : fields->preview()->result().columns())
                trap.Step(table_steps::kNextAddField, [&] { fields->List1()->addItem(column.name); });
        }
    }
    trap.Step(table_steps::kNextButtonStates, [&] { fields->ApplyButtonStateRule(); });
    trap.Step(table_steps::kNextSelectFirst, [&] {
        if (fields->List1()->count() > 0) fields->List1()->setCurrentRow(0);
    });
    trap.Step(table_steps::kNextFocusGrid, [&] { fields->DataGrid1()->setFocus(); });
    trap.Step(table_steps::kNextDropChosenFields, [&] {
        // Chosen fields that this table does not have would only make the
        // export fail ("Unknown column"): they leave the chosen list, the
        // others keep their order. With the same table nothing changes.
        if (previewRead && KeepOnlyEntries(fields->List2(), EntryTexts(fields->List1())))
            fields->ApplyButtonStateRule();
        ListWidgetTextList available(fields->List1());
        const ListWidgetTextList chosen(fields->List2());
        RemoveMatchingItems(available, chosen);
    });
    trap.Step(table_steps::kNextHide, [&] { hide(); });
}

}  // namespace pages
