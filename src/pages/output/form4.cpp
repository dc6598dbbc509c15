#include "pages/output/form4.h"

#include <QListWidget>
#include <QTableView>

#include "app/shared_routines.h"
#include "app/wizard.h"
#include "pages/fields/form3.h"
#include "pages/fields/list_routines.h"
#include "ui/look.h"
#include "ui_form4.h"

namespace pages {

Form4::Form4(app::Wizard& wizard) : WizardPage(wizard, QStringLiteral("Form4")), ui_(std::make_unique<Ui::Form4>()) {
    ui_->setupUi(this);
    ui::DressPage(this);
    connect(ui_->PushButton2, &QPushButton::clicked, this, &Form4::PushButton2_Click);
    connect(ui_->PushButton3, &QPushButton::clicked, this, &Form4::PushButton3_Click);
    connect(ui_->PushButton4, &QPushButton::clicked, this, &Form4::PushButton4_Click);
}

Form4::~Form4() = default;

QLineEdit* Form4::Text1() const { return ui_->Text1; }
QLineEdit* Form4::Text2() const { return ui_->Text2; }
QCheckBox* Form4::Check6() const { return ui_->Check6; }
QPushButton* Form4::PushButton2() const { return ui_->PushButton2; }
QPushButton* Form4::PushButton3() const { return ui_->PushButton3; }
QPushButton* Form4::PushButton4() const { return ui_->PushButton4; }
QProgressBar* Form4::ProgressBar1() const { return ui_->ProgressBar1; }

QStringList Form4::OutputFilters() {
    return {QStringLiteral("Text Files (*.txt)"), QStringLiteral("CSV Files (*.csv)"),
            QStringLiteral("All Files (*)")};
}

void Form4::Form_Load() {
    app::ErrorTrap trap = Trap(QStringLiteral("Form_Load"));
    DressLoadingPage(trap);
    QString folder;
    const bool found = trap.Step(110, [&] { folder = app::GetDesktopFolder(); });
    trap.Step(114, [&] {
        // The folder ends in "/"; exactly one "/" stands before the file name.
        if (found) folder.chop(1);
        ui_->Text1->setText(folder + QStringLiteral("/output.txt"));
    });
    trap.Step(116, [&] { ui_->Text2->setText(QStringLiteral(",")); });
}

void Form4::PushButton3_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton3_Click"));
    QString chosen;
    trap.Step(106, [&] {
        chosen = wizard_.fileDialog().GetSaveFileName(this, QStringLiteral("Choose output file"), OutputFilters());
    });
    if (chosen.isEmpty()) return;  // cancelled: the path stays as it was
    trap.Step(112, [&] { ui_->Text1->setText(chosen); });
}

void Form4::PushButton2_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton2_Click"));
    Form3* fields = nullptr;
    trap.Step(108, [&] {
        fields = &wizard_.form3();
        fields->show();
    });
    if (fields != nullptr) {
        trap.Step(110, [&] { fields->ApplyButtonStateRule(); });
        trap.Step(134, [&] {
            if (fields->List1()->count() > 0) fields->List1()->setCurrentRow(0);
        });
        trap.Step(136, [&] { fields->DataGrid1()->setFocus(); });
    }
    trap.Step(138, [&] { hide(); });
    if (fields != nullptr) {
        trap.Step(140, [&] {
            ListWidgetTextList available(fields->List1());
            const ListWidgetTextList chosen(fields->List2());
            RemoveMatchingItems(available, chosen);
        });
    }
}

void Form4::PushButton4_Click() {
    if (ui_->PushButton4->text() == QLatin1String("Exit")) {
        wizard_.EndProcess();
        return;
    }
}

}  // namespace pages
