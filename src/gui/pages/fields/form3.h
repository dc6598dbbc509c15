#pragma once

#include <map>
#include <memory>
#include <optional>

#include <QStringList>

#include "pages/fields/preview_model.h"
#include "pages/page_kind.h"
#include "pages/wizard_page.h"

class QListWidget;

namespace Ui {
class Form3;
}

namespace pages {

struct ServerReading;

// The field page: a preview of the chosen table and two lists, the available
// fields and the chosen ones, whose order is the column order of the export.
class Form3 : public WizardPage {
    Q_OBJECT

public:
    static constexpr PageKind kKind = PageKind::Fields;
    // Its font and hover rules, handed to the page base class (form3_look.cpp).
    static const look::PageLook& Look();

    explicit Form3(wizard::Wizard& wizard);
    ~Form3() override;

    void Form_Load() override;
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

    // The labels under which the table page's "Next >" reports the steps of
    // showing a table's columns.
    struct ColumnSteps {
        int clearFields;
        int clearPreview;
        int readPreview;
        int showPreview;
        int addField;
    };
    // Arrives with a table's columns: shows the preview that was read and
    // offers its columns as the available fields. Returns whether the
    // preview was read; without a connection nothing is shown, its failure
    // has been reported already. The fields chosen for the table shown so
    // far are kept for when it is shown again; without a preview no field
    // stays chosen, since none of them is known to be the table's.
    bool ShowTableColumns(app::ErrorTrap& trap, const QString& table, ServerReading& preview, const ColumnSteps& steps);

    // The labels of the arrival's steps in the handler that arrives.
    struct ArrivalSteps {
        int buttonStates;
        int selectFirst;
        int focusGrid;
    };
    // What the page does whenever it is arrived at, from the table page or
    // back from the output page: the button states, the first available
    // field selected, the focus on the grid.
    void Arrive(app::ErrorTrap& trap, const ArrivalSteps& steps);

    // The chosen fields leave the available list. With `newColumns`, the
    // chosen list first becomes the choice made for the table just shown
    // when it was shown before; a table shown for the first time keeps
    // those of the fields chosen so far that it has. A chosen field the
    // table does not have would only make the export fail ("Unknown column").
    void DropChosenFromAvailable(bool newColumns);

private:
    // ">" and "<": the selected entry moves to the end of the other list.
    void MoveOne(const QString& handler, QListWidget* from, QListWidget* to);
    // ">>" and "<<": every entry moves, in order.
    void MoveAll(const QString& handler, QListWidget* from, QListWidget* to);

    // Before another table's columns come: the choice made for the table
    // shown so far is kept.
    void KeepChoiceOfShownTable();

    std::unique_ptr<Ui::Form3> ui_;
    PreviewModel* preview_;  // owned by this page
    // The table whose columns the page shows, if any, the fields chosen
    // for each table shown in this run, and the choice a table shown for
    // the first time starts from.
    std::optional<QString> shownTable_;
    std::map<QString, QStringList> chosenByTable_;
    QStringList carriedChoice_;
};

}  // namespace pages
