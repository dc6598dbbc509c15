#include "pages/fields/form3.h"

#include "app/wizard.h"
#include "pages/output/form4.h"
#include "pages/table/form2.h"
#include "ui/look.h"
#include "ui_form3.h"

namespace pages {

Form3::Form3(app::Wizard& wizard) : WizardPage(wizard, QStringLiteral("Form3")), ui_(std::make_unique<Ui::Form3>()) {
    ui_->setupUi(this);
    ui::DressPage(this);
    connect(ui_->PushButton2, &QPushButton::clicked, this, &Form3::PushButton2_Click);
    connect(ui_->PushButton3, &QPushButton::clicked, this, &Form3::PushButton3_Click);
}

Form3::~Form3() = default;

QListWidget* Form3::List1() const { return ui_->List1; }
QListWidget* Form3::List2() const { return ui_->List2; }
QTableView* Form3::DataGrid1() const { return ui_->DataGrid1; }
QPushButton* Form3::PushButton2() const { return ui_->PushButton2; }
QPushButton* Form3::PushButton3() const { return ui_->PushButton3; }
QPushButton* Form3::PushButton5() const { return ui_->PushButton5; }
QPushButton* Form3::PushButton6() const { return ui_->PushButton6; }
QPushButton* Form3::PushButton7() const { return ui_->PushButton7; }
QPushButton* Form3::PushButton8() const { return ui_->PushButton8; }

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

void Form3::PushButton2_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton2_Click"));
    trap.Step(100, [&] { wizard_.form2().show(); });
    trap.Step(102, [&] { hide(); });
}

void Form3::PushButton3_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton3_Click"));
    trap.Step(116, [&] { wizard_.form4().show(); });
    trap.Step(118, [&] { hide(); });
}

}  // namespace pages
