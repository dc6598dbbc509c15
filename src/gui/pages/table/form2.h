#pragma once

#include <memory>

#include "pages/wizard_page.h"

class QListWidget;
class QPushButton;

namespace Ui {
class Form2;
}

namespace pages {

struct PreviewReading;

// The table page: one list of the database's tables; "Next >" prepares the
// field page for the selected one.
class Form2 : public WizardPage {
    Q_OBJECT

public:
    explicit Form2(wizard::Wizard& wizard);
    ~Form2() override;

    void Form_Load();
    void PushButton2_Click();  // "< Back"
    void PushButton3_Click();  // "Next >"

    QListWidget* List1() const;
    QPushButton* PushButton2() const;
    QPushButton* PushButton3() const;

private:
    // The steps of "Next >" after the server has answered.
    void ShowFields(PreviewReading& reading);

    std::unique_ptr<Ui::Form2> ui_;
};

}  // namespace pages
