#include "pages/table/form2.h"

#include "app/wizard.h"
#include "pages/login/form1.h"
#include "pages/fields/form3.h"
#include "ui/look.h"
#include "ui_form2.h"

namespace pages {

Form2::Form2(app::Wizard& wizard) : WizardPage(wizard, QStringLiteral("Form2")), ui_(std::make_unique<Ui::Form2>()) {
    ui_->setupUi(this);
    ui::DressPage(this);
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
    trap.Step(100, [&] { wizard_.form1().show(); });
    trap.Step(102, [&] { hide(); });
}

void Form2::PushButton3_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton3_Click"));
    trap.Step(116, [&] { wizard_.form3().show(); });
    trap.Step(172, [&] { hide(); });
}

}  // namespace pages
