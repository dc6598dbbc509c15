#pragma once

#include <memory>

#include "db/login_values.h"
#include "pages/wizard_page.h"
#include "settings/login_settings.h"

class QLineEdit;
class QPushButton;

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
    explicit Form1(wizard::Wizard& wizard);
    ~Form1() override;

    void Form_Load();
    void PushButton2_Click();  // "Help"
    void PushButton3_Click();  // "Next >"
    void PushButton5_Click();  // "Test Connection"

    // The five boxes as they read at this moment.
    db::LoginValues CurrentLoginValues() const;
    // The box that holds a login value: Text1 the server to Text5 the port.
    QLineEdit* LoginBox(settings::LoginField field) const;
    QLineEdit* Text1() const;
    QLineEdit* Text2() const;
    QLineEdit* Text3() const;
    QLineEdit* Text4() const;
    QLineEdit* Text5() const;

    // The text of the help message.
    static QString HelpText();
    static QString CouldNotConnectText();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BindToStore(QLineEdit* box, const QString& key);
    // The steps of "Next >" after the server has answered.
    void ShowTableList(TableListReading& reading);

    std::unique_ptr<Ui::Form1> ui_;
};

}  // namespace pages
