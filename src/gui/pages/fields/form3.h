#pragma once

#include <memory>

#include "pages/fields/preview_model.h"
#include "pages/wizard_page.h"

class QListWidget;
class QPushButton;
class QTableView;

namespace Ui {
class Form3;
}

namespace pages {

// The field page: a preview of the chosen table and two lists, the available
// fields and the chosen ones, whose order is the column order of the export.
class Form3 : public WizardPage {
    Q_OBJECT

public:
    explicit Form3(wizard::Wizard& wizard);
    ~Form3() override;

    void Form_Load();
    void PushButton2_Click();  // "< Back"
    void PushButton3_Click();  // "Next >"
    void PushButton5_Click();  // ">"
    void PushButton6_Click();  // ">>"
    void PushButton7_Click();  // "<"
    void PushButton8_Click();  // "<<"
    void List1_DblClick();
    void List2_DblClick();

    // ">" and ">>" follow the available list; "<", "<<" and "Next >" the
    // chosen list.
    void ApplyButtonStateRule();

    // The rows shown in the preview grid.
    PreviewModel* preview() const { return preview_; }

    QListWidget* List1() const;  // available fields
    QListWidget* List2() const;  // chosen fields
    QTableView* DataGrid1() const;
    QPushButton* PushButton2() const;
    QPushButton* PushButton3() const;
    QPushButton* PushButton5() const;
    QPushButton* PushButton6() const;
    QPushButton* PushButton7() const;
    QPushButton* PushButton8() const;

private:
    // ">" and "<": the selected entry moves to the end of the other list.
    void MoveOne(const QString& handler, QListWidget* from, QListWidget* to);
    // ">>" and "<<": every entry moves, in order.
    void MoveAll(const QString& handler, QListWidget* from, QListWidget* to);

    std::unique_ptr<Ui::Form3> ui_;
    PreviewModel* preview_;  // owned by this page
};

}  // namespace pages
