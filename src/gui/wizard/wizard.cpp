#include "wizard/wizard.h"

#include <array>

#include "app/app_info.h"
#include "pages/fields/form3.h"
#include "pages/keyboard.h"
#include "pages/login/form1.h"
#include "pages/output/form4.h"
#include "pages/table/form2.h"

namespace wizard {

Wizard::Wizard(Services services) : services_(std::move(services)) {}

// The output page stops an export that still runs as it goes.
Wizard::~Wizard() = default;

template <typename Page>
Page& Wizard::Touch(std::unique_ptr<Page>& slot) {
    if (!slot) {
        slot = std::make_unique<Page>(*this);
        pages::PressButtonsWithEnter(slot.get());
        // The slot is filled before the load runs, so a load that touches its
        // own page (start-up signing in) finds it.
        slot->Form_Load();
    }
    return *slot;
}

pages::Form1& Wizard::form1() { return Touch(form1_); }
pages::Form2& Wizard::form2() { return Touch(form2_); }
pages::Form3& Wizard::form3() { return Touch(form3_); }
pages::Form4& Wizard::form4() { return Touch(form4_); }

QWidget* Wizard::VisiblePageOtherThan(const QWidget* page) const {
    const std::array<QWidget*, 4> all{form1_.get(), form2_.get(), form3_.get(), form4_.get()};
    for (QWidget* other : all)
        if (other != nullptr && other != page && other->isVisible()) return other;
    return nullptr;
}

bool Wizard::hasPage(int number) const {
    switch (number) {
    case 1: return form1_ != nullptr;
    case 2: return form2_ != nullptr;
    case 3: return form3_ != nullptr;
    case 4: return form4_ != nullptr;
    default: return false;
    }
}

void Wizard::Start() {
    // The sign-in that the load may start waits off the window's thread, so
    // the login page is on screen at once.
    form1().show();
}

void Wizard::EndProcess() {
    if (services_.endProcess) services_.endProcess();
}

db::LoginValues Wizard::CurrentLoginValues() { return form1().CurrentLoginValues(); }

void Wizard::BeginDatabaseAction(std::shared_ptr<app::BackgroundWork::Cancel> action) {
    databaseAction_ = std::move(action);
}

void Wizard::EndDatabaseAction(const app::BackgroundWork::Cancel* action) {
    if (databaseAction_.get() == action) databaseAction_.reset();
}

void Wizard::CancelDatabaseAction() {
    if (databaseAction_) databaseAction_->Now();
    databaseAction_.reset();
}

void Wizard::Tell(const QString& text) { messenger().Show(app::ApplicationTitle(), text, app::MessageIcon::None); }

}  // namespace wizard
