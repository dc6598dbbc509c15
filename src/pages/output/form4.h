#pragma once

#include <memory>

#include "pages/wizard_page.h"

class QCheckBox;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace Ui {
class Form4;
}

namespace pages {

// The output page: the output file, the separator, the header choice, and
// "Finish", which runs the export and then reads "Exit".
class Form4 : public WizardPage {
    Q_OBJECT

public:
    explicit Form4(app::Wizard& wizard);
    ~Form4() override;

    void Form_Load();
    void PushButton2_Click();  // "< Back"
    void PushButton3_Click();  // "..."
    void PushButton4_Click();  // "Finish" / "Exit"

    QLineEdit* Text1() const;  // output path
    QLineEdit* Text2() const;  // separator
    QCheckBox* Check6() const;  // header line
    QPushButton* PushButton2() const;
    QPushButton* PushButton3() const;
    QPushButton* PushButton4() const;
    QProgressBar* ProgressBar1() const;

    static QStringList OutputFilters();

private:
    std::unique_ptr<Ui::Form4> ui_;
};

}  // namespace pages
