#include "pages/fields/form3.h"

#include <QListWidget>

#include "pages/fields/field_lists.h"
#include "pages/fields/list_routines.h"
#include "pages/page_steps.h"
#include "pages/server_reading.h"
#include "ui_form3.h"
#include "wizard/wizard.h"

namespace pages {

Form3::Form3(wizard::Wizard& wizard)
    : WizardPage(wizard, QStringLiteral("Form3"), Look()),
      ui_(std::make_unique<Ui::Form3>()),
      preview_(new PreviewModel(this)) {
    ui_->setupUi(this);
    DressAsLaidOut();
    connect(ui_->PushButton2, &QPushButton::clicked, this, &Form3::PushButton2_Click);
    connect(ui_->PushButton3, &QPushButton::clicked, this, &Form3::PushButton3_Click);
    connect(ui_->PushButton5, &QPushButton::clicked, this, &Form3::PushButton5_Click);
    connect(ui_->PushButton6, &QPushButton::clicked, this, &Form3::PushButton6_Click);
    connect(ui_->PushButton7, &QPushButton::clicked, this, &Form3::PushButton7_Click);
    connect(ui_->PushButton8, &QPushButton::clicked, this, &Form3::PushButton8_Click);
    connect(ui_->List1, &QListWidget::itemDoubleClicked, this, &Form3::List1_DblClick);
    connect(ui_->List2, &QListWidget::itemDoubleClicked, this, &Form3::List2_DblClick);
    ui_->DataGrid1->setModel(preview_);
}

Form3::~Form3() = default;

void Form3::Form_Load() {
    app::ErrorTrap trap = Trap(QStringLiteral("Form_Load"));
    DressLoadingPage(trap);
}

void Form3::ApplyButtonStateRule() {
    const bool available = ui_->List1->count() > 0;
    ui_->PushButton5->setEnabled(available);
    ui_->PushButton6->setEnabled(available);
    const bool chosen = ui_->List2->count() > 0;
    ui_->PushButton7->setEnabled(chosen);
    ui_->PushButton8->setEnabled(chosen);
    ui_->PushButton3->setEnabled(chosen);
}

void Form3::KeepChoiceOfShownTable() {
    if (!shownTable_) return;
    carriedChoice_ = EntryTexts(ui_->List2);
    chosenByTable_[*shownTable_] = carriedChoice_;
}

bool Form3::ShowTableColumns(app::ErrorTrap& trap, const QString& table, ServerReading& preview,
                             const ColumnSteps& steps) {
    KeepChoiceOfShownTable();
    shownTable_.reset();
    trap.Step(steps.clearFields, [&] { ui_->List1->clear(); });
    trap.Step(steps.clearPreview, [&] { preview_->SetResult(db::StoredResult()); });
    if (!preview.connected || !trap.Step(steps.readPreview, [&] { preview.ThrowIfNotRead(); })) {
        ui_->List2->clear();
        return false;
    }
    shownTable_ = table;
    trap.Step(steps.showPreview, [&] { preview_->SetResult(std::move(preview.rows)); });
    for (const db::ColumnInfo& column : preview_->result().columns())
        trap.Step(steps.addField, [&] { ui_->List1->addItem(column.name); });
    return true;
}

void Form3::Arrive(app::ErrorTrap& trap, const ArrivalSteps& steps) {
    trap.Step(steps.buttonStates, [&] { ApplyButtonStateRule(); });
    trap.Step(steps.selectFirst, [&] {
        if (ui_->List1->count() > 0) ui_->List1->setCurrentRow(0);
    });
    trap.Step(steps.focusGrid, [&] { ui_->DataGrid1->setFocus(); });
}

void Form3::DropChosenFromAvailable(bool newColumns) {
    if (newColumns && shownTable_) {
        const auto remembered = chosenByTable_.find(*shownTable_);
        const QStringList& choice = remembered != chosenByTable_.end() ? remembered->second : carriedChoice_;
        const QStringList columns = EntryTexts(ui_->List1);
        QStringList chosen;
        for (const QString& field : choice)
            if (columns.contains(field)) chosen.append(field);
        // With the same table nothing changes: the selection stays too.
        if (chosen != EntryTexts(ui_->List2)) {
            ui_->List2->clear();
            ui_->List2->addItems(chosen);
            ApplyButtonStateRule();
        }
    }
    ListWidgetTextList available(ui_->List1);
    const ListWidgetTextList chosen(ui_->List2);
    RemoveMatchingItems(available, chosen);
}

void Form3::PushButton2_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton2_Click"));
    trap.Step(field_steps::kBackShowTablePage, [&] { wizard_.EnsurePrevious(*this).show(); });
    trap.Step(field_steps::kBackHide, [&] { hide(); });
}

void Form3::MoveOne(const QString& handler, QListWidget* from, QListWidget* to) {
    app::ErrorTrap trap = Trap(handler);
    int row = -1;
    trap.Step(field_steps::kMoveFindSelected, [&] { row = SelectedRow(from); });
    if (row < 0) {
        trap.Step(field_steps::kMoveNothingSelected,
                  [&] { wizard_.Tell(QStringLiteral("Please select a field first.")); });
        return;
    }
    trap.Step(field_steps::kMoveAdd, [&] { to->addItem(from->item(row)->text()); });
    trap.Step(field_steps::kMoveRemove, [&] { RemoveEntry(from, row); });
    trap.Step(field_steps::kMoveButtonStates, [&] { ApplyButtonStateRule(); });
}

void Form3::MoveAll(const QString& handler, QListWidget* from, QListWidget* to) {
    app::ErrorTrap trap = Trap(handler);
    trap.Step(field_steps::kMoveAll, [&] { MoveAllEntries(from, to); });
    trap.Step(field_steps::kMoveAllButtonStates, [&] { ApplyButtonStateRule(); });
}

void Form3::PushButton5_Click() { MoveOne(QStringLiteral("PushButton5_Click"), ui_->List1, ui_->List2); }
void Form3::PushButton6_Click() { MoveAll(QStringLiteral("PushButton6_Click"), ui_->List1, ui_->List2); }
void Form3::PushButton7_Click() { MoveOne(QStringLiteral("PushButton7_Click"), ui_->List2, ui_->List1); }
void Form3::PushButton8_Click() { MoveAll(QStringLiteral("PushButton8_Click"), ui_->List2, ui_->List1); }

// A double-click moves the selected entry like the arrow buttons, but without
// a message when nothing is selected and without an error report of its own.
void Form3::List1_DblClick() {
    if (MoveSelectedEntry(ui_->List1, ui_->List2)) ApplyButtonStateRule();
}

void Form3::List2_DblClick() {
    if (MoveSelectedEntry(ui_->List2, ui_->List1)) ApplyButtonStateRule();
}

void Form3::PushButton3_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton3_Click"));
    trap.Step(field_steps::kNextBuildFieldList,
              [&] { wizard_.state().fieldListText = BuildFieldListText(EntryTexts(ui_->List2)); });
    trap.Step(field_steps::kNextShowOutputPage, [&] { wizard_.EnsureNext(*this).show(); });
    trap.Step(field_steps::kNextHide, [&] { hide(); });
}

}  // namespace pages
