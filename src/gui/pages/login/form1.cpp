#include "pages/login/form1.h"

#include <array>
#include <optional>

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include "app/app_info.h"
#include "app/shared_routines.h"
#include "db/connection.h"
#include "db/connection_text.h"
#include "db/open_connection.h"
#include "db/table_queries.h"
#include "look/look.h"
#include "look/page_pointer.h"
#include "pages/idle_controls.h"
#include "pages/page_steps.h"
#include "pages/server_reading.h"
#include "pages/table/form2.h"
#include "settings/login_settings.h"
#include "ui_form1.h"
#include "wizard/wizard.h"

namespace pages {

Form1::Form1(wizard::Wizard& wizard)
    : WizardPage(wizard, QStringLiteral("Form1"), Look()), ui_(std::make_unique<Ui::Form1>()) {
    ui_->setupUi(this);
    DressAsLaidOut();
    for (const settings::LoginSetting& setting : settings::LoginSettings())
        BindToStore(LoginBox(setting.field), settings::LoginKey(setting.field));
    connect(ui_->PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(ui_->PushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(ui_->PushButton5, &QPushButton::clicked, this, &Form1::PushButton5_Click);
}

Form1::~Form1() = default;

QLineEdit* Form1::LoginBox(settings::LoginField field) const {
    const std::array<QLineEdit*, 5> boxes{ui_->Text1, ui_->Text2, ui_->Text3, ui_->Text4, ui_->Text5};
    return boxes.at(static_cast<std::size_t>(field));
}

void Form1::BindToStore(QLineEdit* box, const QString& key) {
    // Change rule: every change writes the box's whole text to its key at
    // once; the file follows off the window's thread.
    connect(box, &QLineEdit::textChanged, this,
            [this, key](const QString& text) { wizard_.settingsSaves().Write(key, text); });
    // Focus rule: a box that gets the focus selects its whole text.
    box->installEventFilter(this);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (auto* box = qobject_cast<QLineEdit*>(watched)) {
            // After the click that gave the focus has placed the caret.
            QTimer::singleShot(0, box, [box] { box->selectAll(); });
        }
    }
    return WizardPage::eventFilter(watched, event);
}

db::LoginValues Form1::CurrentLoginValues() const {
    db::LoginValues values;
    for (const settings::LoginSetting& setting : settings::LoginSettings())
        values.*setting.member = LoginBox(setting.field)->text();
    return values;
}

void Form1::Form_Load() {
    app::ErrorTrap trap = Trap(QStringLiteral("Form_Load"));
    trap.Step(login_steps::kLoadSkin, [&] { look::ApplySkin(this, wizard_.programFolder()); });
    trap.Step(login_steps::kLoadCaption, [&] {
        setWindowTitle(app::ProductName());
        setWindowIcon(look::ProgramIcon());
        QCoreApplication::setApplicationName(app::ApplicationTitle());
    });
    LoadHandCursor(trap, login_steps::kLoadTestHandCursor, login_steps::kLoadHandCursor);

    settings::SettingsStore& store = wizard_.settings();
    // Each box is filled from the store as a step of its own, in page order.
    const std::array<int, 5> fillSteps{login_steps::kLoadServer, login_steps::kLoadUser, login_steps::kLoadPassword,
                                       login_steps::kLoadDatabase, login_steps::kLoadPort};
    for (const settings::LoginSetting& setting : settings::LoginSettings()) {
        trap.Step(fillSteps.at(static_cast<std::size_t>(setting.field)),
                  [&] { LoginBox(setting.field)->setText(settings::ReadLoginValue(store, setting.field)); });
    }
    // A settings file that could not be used (a folder or a pipe in its
    // place, a link another user made, a file that cannot be read) is said
    // once; the boxes hold the defaults.
    if (store.fileState() != settings::SettingsStore::FileState::Read) {
        QString warning = store.WarningText();
        warning[0] = warning[0].toUpper();
        wizard_.Tell(warning + QLatin1Char('.'));
    }

    // Automatic sign-in: only with all four values and a server that answers.
    bool allFilled = false;
    trap.Step(login_steps::kLoadCheckFilled, [&] {
        allFilled = !ui_->Text1->text().isEmpty() && !ui_->Text2->text().isEmpty() && !ui_->Text3->text().isEmpty() &&
                    !ui_->Text4->text().isEmpty();
    });
    if (!allFilled) return;
    // Whether the server answers is found out off the window's thread; when
    // it does, "Next >" signs in and hands over to the table page. Until
    // then a press of "Test Connection" or "Next >" replaces the sign-in.
    const db::LoginValues values = CurrentLoginValues();
    auto reachable = std::make_shared<bool>(false);
    signingIn_ = true;
    databaseActions_.Run(
        [values, reachable](app::BackgroundWork::Cancel&) { *reachable = db::OpenConnection(values, SignInOptions()); },
        [this, reachable] {
            if (!*reachable) {
                SignInEnded();
                return;
            }
            // "Next >" is an action of its own: this one ends first.
            wizard_.ReleaseDatabaseAction();
            app::ErrorTrap signIn = Trap(QStringLiteral("Form_Load"));
            signIn.Step(login_steps::kLoadSignIn, [&] { ListTables(Asker::SignIn); });
        });
}

void Form1::ShowAtStart() {
    if (!signingIn_) {
        show();
        return;
    }
    // A sign-in that hands over at once shows no login page flashing by.
    heldBack_ = true;
    QTimer::singleShot(wizard_.signInQuietMs(), this, &Form1::ShowIfHeldBack);
}

void Form1::ShowIfHeldBack() {
    if (!heldBack_) return;
    heldBack_ = false;
    show();
}

void Form1::SignInEnded() {
    signingIn_ = false;
    ShowIfHeldBack();
}

void Form1::ReplaceSignIn() {
    if (!signingIn_) return;
    databaseActions_.Cancel();
    SignInEnded();
}

QString Form1::HelpText() {
    const QString cr2 = QStringLiteral("\r\r");
    return QStringLiteral("If you cannot establish connection to your database with this program, please go to: ") +
           cr2 + QStringLiteral("https://dev.mysql.com/downloads/workbench/") + cr2 +
           QStringLiteral(
               "Download and install the MySQL Workbench. Try to connect to the same database "
               "(with the same login information you are using here). This will determine if "
               "the login you are using is correct.") +
           cr2 +
           QStringLiteral(
               "Finally, make sure your host allows a direct connection to your MySQL database "
               "-- not a web based connection, for example.");
}

QString Form1::CouldNotConnectText() {
    return QStringLiteral(
        "Could not connect. Please check with your administrator. Make sure you are "
        "allowed to connect to your database remotely and not just through web-based "
        "control panels.");
}

void Form1::PushButton2_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton2_Click"));
    QString text;
    trap.Step(login_steps::kHelpText, [&] { text = HelpText(); });
    trap.Step(login_steps::kHelpShow, [&] { wizard_.Tell(text); });
}

QString Form1::CouldNotConnectText(const db::OpenRefusal& refusal) {
    QString reason = refusal.reason;
    if (reason.isEmpty() && !refusal.serverMessage.isEmpty())
        reason = QStringLiteral("The server said: ") + refusal.serverMessage;
    return reason.isEmpty() ? CouldNotConnectText() : CouldNotConnectText() + QStringLiteral("\r\r") + reason;
}

void Form1::PushButton5_Click() {
    ReplaceSignIn();
    const db::LoginValues values = CurrentLoginValues();
    auto opened = std::make_shared<bool>(false);
    // The hourglass stays while the answer is on screen and goes when the
    // answer has been read. A refused login is answered in words, never with
    // the connector's own text or the error report: where TLS could not be
    // used or the server was not reached, our words say why; where the server
    // itself refused, its own message does (never holding the password).
    auto refusal = std::make_shared<db::OpenRefusal>();
    databaseActions_.Run(
        [values, opened, refusal](app::BackgroundWork::Cancel&) {
            *opened = db::OpenConnectionSayingWhy(values, SignInOptions(), *refusal);
        },
        [this, opened, refusal] {
            app::ErrorTrap trap = Trap(QStringLiteral("PushButton5_Click"));
            if (*opened)
                trap.Step(login_steps::kTestSucceeded, [&] { wizard_.Tell(QStringLiteral("Connection successful.")); });
            else
                trap.Step(login_steps::kTestFailed, [&] { wizard_.Tell(CouldNotConnectText(*refusal)); });
        },
        {ui_->PushButton3, ui_->PushButton5});
}

// What "Next >" reads from the server, off the window's thread.
struct TableListReading {
    bool opens = false;       // the login works at all
    db::OpenRefusal refusal;  // why it does not
    ServerReading tables;
};

void Form1::PushButton3_Click() {
    ReplaceSignIn();
    ListTables(Asker::User);
}

void Form1::ListTables(Asker asker) {
    const db::LoginValues values = CurrentLoginValues();
    auto reading = std::make_shared<TableListReading>();
    // The user's own press waits with both buttons off; the sign-in leaves
    // them on, so that a press can replace it.
    std::vector<QWidget*> idle;
    if (asker == Asker::User) idle = {ui_->PushButton3, ui_->PushButton5};
    databaseActions_.Run(
        [values, options = ReadingOptions(), reading](app::BackgroundWork::Cancel& cancel) {
            reading->opens = db::OpenConnectionSayingWhy(values, SignInOptions(), reading->refusal);
            if (reading->opens) reading->tables.Read(values, options, cancel, db::ListTables);
        },
        [this, reading, asker] { ShowTableList(*reading, asker); }, idle);
}

void Form1::ShowTableList(TableListReading& reading, Asker asker) {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton3_Click"));
    // The server has answered: the sign-in can no longer be replaced.
    if (asker == Asker::SignIn) signingIn_ = false;
    if (!reading.opens) {
        // A login that does not work leaves the page as it is; the user's
        // own press is told why, as "Test Connection" would.
        if (asker == Asker::User)
            trap.Step(login_steps::kNextTryConnection, [&] { wizard_.Tell(CouldNotConnectText(reading.refusal)); });
        SignInEnded();
        return;
    }
    trap.Step(login_steps::kNextConnect, [&] { reading.tables.ThrowIfNotConnected(); });
    db::StoredResult& tables = reading.tables.rows;
    trap.Step(login_steps::kNextListTables, [&] { reading.tables.ThrowIfNotRead(); });
    Form2* tablePage = nullptr;
    std::size_t rowCount = 0;
    trap.Step(login_steps::kNextClearList, [&] {
        tablePage = &wizard_.EnsurePage<Form2>();
        tablePage->ClearTables();
        rowCount = tables.rowCount();
    });
    // The buttons stay off while the list loads, whoever asked for it.
    const IdleControls loading({ui_->PushButton3, ui_->PushButton5});
    for (std::size_t row = 0; row < rowCount; ++row) {
        // Keeps the window painting while a long list loads; the action still
        // counts as running.
        QCoreApplication::processEvents();
        trap.Step(login_steps::kNextAddTable, [&] {
            tablePage->AddTable(app::NullSubstitute(tables.value(row, 0), db::DbValue::Text(QString())).text());
        });
    }
    // The connection was closed on the action's thread once the list was read.
    trap.Step(login_steps::kNextFreeList, [&] { tables = db::StoredResult(); });
    trap.Step(login_steps::kNextSelectFirst, [&] {
        if (tablePage != nullptr) tablePage->SelectFirstTable();
    });
    trap.Step(login_steps::kNextShowTablePage, [&] {
        wizard_.EnsureNext(*this).show();
        heldBack_ = false;
    });
    trap.Step(login_steps::kNextHide, [&] { hide(); });
}

}  // namespace pages
