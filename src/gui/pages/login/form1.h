#pragma once

#include <memory>

#include "db/login_refusal.h"
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
    // Its font and hover rules, handed to the page base class (form1_look.cpp).
    static const look::PageLook& Look();

    explicit Form1(wizard::Wizard& wizard);
    ~Form1() override;

    void Form_Load() override;
    void PushButton2_Click();  // "Help"
    void PushButton3_Click();  // "Next >"
    void PushButton5_Click();  // "Test Connection"

    // The five boxes as they read at this moment.
    db::LoginValues CurrentLoginValues() const;

    void ShowAtStart() override;

    // The text of the help message.
    static QString HelpText();
    static QString CouldNotConnectText();
    // What a refused login is answered with: the could-not-connect text and,
    // where there is one, the reason: in our words (TLS, a name not found, no
    // answer) or else in the server's own, never in the connector's.
    static QString CouldNotConnectText(const db::OpenRefusal& refusal);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The box that holds a login value: Text1 the server to Text5 the port.
    QLineEdit* LoginBox(settings::LoginField field) const;
    void BindToStore(QLineEdit* box, const QString& key);
    // Who asked for the table list: the user's press, or the automatic
    // sign-in at start-up, which stays silent when the login is refused.
    enum class Asker { User, SignIn };
    void ListTables(Asker asker);
    // The steps of "Next >" after the server has answered.
    void ShowTableList(TableListReading& reading, Asker asker);
    // A press of the user's replaces an automatic sign-in that still waits.
    void ReplaceSignIn();
    // The sign-in has ended without handing over: the page comes on screen.
    void SignInEnded();
    void ShowIfHeldBack();

    std::unique_ptr<Ui::Form1> ui_;
    // The automatic sign-in waits for the server.
    bool signingIn_ = false;
    // Start-up keeps the page off the screen while the sign-in may still
    // hand over to the table page at once.
    bool heldBack_ = false;
};

}  // namespace pages
