#pragma once

#include <memory>

#include "pages/page_kind.h"
#include "pages/wizard_page.h"

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
    static constexpr PageKind kKind = PageKind::Table;
    // Its font and hover rules, handed to the page base class (form2_look.cpp).
    static const look::PageLook& Look();

    explicit Form2(wizard::Wizard& wizard);
    ~Form2() override;

    void Form_Load() override;
    void PushButton2_Click();  // "< Back"
    void PushButton3_Click();  // "Next >"

    // The login page's "Next >" arrives with the database's tables: the
    // list is emptied, filled one table at a time, and the first selected.
    void ClearTables();
    void AddTable(const QString& name);
    void SelectFirstTable();

private:
    // The steps of "Next >" after the server has answered.
    void ShowFields(PreviewReading& reading);

    std::unique_ptr<Ui::Form2> ui_;
};

}  // namespace pages
