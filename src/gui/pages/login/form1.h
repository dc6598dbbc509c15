#pragma once

#include <memory>

#include "db/login_values.h"
#include "pages/page_kind.h"
#include "pages/wizard_page.h"
#include "settings/login_settings.h"

class QLineEdit;

namespace Ui {
class Form1;
}

namespace pages {

struct TableListReading;

// The login page: the five login values, a connection test, help, and
// "Next >" to the table page. Its load is the program's start-up sequence.
class Form1 : public WizardPage {
    Q_OBJECT

public:
    static constexpr PageKind kKind = PageKind::Login;

    explicit Form1(wizard::Wizard& wizard);
    ~Form1() override;

    void Form_Load() override;
    void PushButton2_Click();  // "Help"
    void PushButton3_Click();  // "Next >"
    void PushButton5_Click();  // "Test Connection"

    // The five boxes as they read at this moment.
    db::LoginValues CurrentLoginValues() const;

    // The text of the help message.
    static QString HelpText();
    static QString CouldNotConnectText();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The box that holds a login value: Text1 the server to Text5 the port.
    QLineEdit* LoginBox(settings::LoginField field) const;
    void BindToStore(QLineEdit* box, const QString& key);
    // The steps of "Next >" after the server has answered.
    void ShowTableList(TableListReading& reading);

    std::unique_ptr<Ui::Form1> ui_;
};

}  // namespace pages
