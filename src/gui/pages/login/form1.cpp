#include "pages/login/form1.h"

#include <optional>

#include <QCoreApplication>
#include <QEvent>
#include <QListWidget>
#include <QTimer>

#include "app/app_info.h"
#include "app/shared_routines.h"
#include "db/connection.h"
#include "db/connection_text.h"
#include "db/open_connection.h"
#include "db/table_queries.h"
#include "look/look.h"
#include "look/page_pointer.h"
#include "pages/table/form2.h"
#include "settings/login_settings.h"
#include "ui_form1.h"
#include "wizard/wizard.h"

namespace pages {
namespace {

// Marks a handler as running for as long as it lives.
class BusyFlag {
public:
    explicit BusyFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~BusyFlag() { flag_ = false; }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;

private:
    bool& flag_;
};

}  // namespace

Form1::Form1(wizard::Wizard& wizard) : WizardPage(wizard, QStringLiteral("Form1")), ui_(std::make_unique<Ui::Form1>()) {
    ui_->setupUi(this);
    look::DressPage(this);
    BindToStore(ui_->Text1, settings::LoginKey(settings::LoginField::Server));
    BindToStore(ui_->Text2, settings::LoginKey(settings::LoginField::User));
    BindToStore(ui_->Text3, settings::LoginKey(settings::LoginField::Password));
    BindToStore(ui_->Text4, settings::LoginKey(settings::LoginField::Database));
    BindToStore(ui_->Text5, settings::LoginKey(settings::LoginField::Port));
    connect(ui_->PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(ui_->PushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(ui_->PushButton5, &QPushButton::clicked, this, &Form1::PushButton5_Click);
}

Form1::~Form1() = default;

QLineEdit* Form1::Text1() const { return ui_->Text1; }
QLineEdit* Form1::Text2() const { return ui_->Text2; }
QLineEdit* Form1::Text3() const { return ui_->Text3; }
QLineEdit* Form1::Text4() const { return ui_->Text4; }
QLineEdit* Form1::Text5() const { return ui_->Text5; }

void Form1::BindToStore(QLineEdit* box, const QString& key) {
    // Change rule: every change writes the box's whole text to its key at once.
    connect(box, &QLineEdit::textChanged, this,
            [this, key](const QString& text) { wizard_.settings().Write(key, text); });
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
    return db::LoginValues{ui_->Text1->text(), ui_->Text2->text(), ui_->Text3->text(), ui_->Text4->text(),
                           ui_->Text5->text()};
}

void Form1::Form_Load() {
    app::ErrorTrap trap = Trap(QStringLiteral("Form_Load"));
    trap.Step(100, [&] { look::ApplySkin(this, wizard_.programFolder()); });
    trap.Step(104, [&] {
        setWindowTitle(app::ProductName());
        setWindowIcon(look::ProgramIcon());
        QCoreApplication::setApplicationName(app::ApplicationTitle());
    });
    LoadHandCursor(trap, 124, 126);

    settings::SettingsStore& store = wizard_.settings();
    trap.Step(128, [&] { ui_->Text1->setText(settings::ReadLoginValue(store, settings::LoginField::Server)); });
    trap.Step(130, [&] { ui_->Text2->setText(settings::ReadLoginValue(store, settings::LoginField::User)); });
    trap.Step(132, [&] { ui_->Text3->setText(settings::ReadLoginValue(store, settings::LoginField::Password)); });
    trap.Step(134, [&] { ui_->Text4->setText(settings::ReadLoginValue(store, settings::LoginField::Database)); });
    trap.Step(136, [&] { ui_->Text5->setText(settings::ReadLoginValue(store, settings::LoginField::Port)); });

    // Automatic sign-in: only with all four values and a server that answers.
    bool allFilled = false;
    trap.Step(138, [&] {
        allFilled = !ui_->Text1->text().isEmpty() && !ui_->Text2->text().isEmpty() && !ui_->Text3->text().isEmpty() &&
                    !ui_->Text4->text().isEmpty();
    });
    if (!allFilled) return;
    bool reachable = false;
    trap.Step(140, [&] { reachable = db::OpenConnection(CurrentLoginValues()); });
    if (!reachable) return;
    trap.Step(142, [&] { PushButton3_Click(); });
    signedInAtStartup_ = wizard_.hasPage(2) && wizard_.form2().isVisible();
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
    trap.Step(104, [&] { text = HelpText(); });
    trap.Step(112, [&] { wizard_.Tell(text); });
}

void Form1::PushButton5_Click() {
    if (busy_) return;
    BusyFlag busy(busy_);
    // The hourglass stays while the answer is on screen and goes when the
    // handler ends, whatever happened.
    look::HourglassPointer hourglass(this);
    QCoreApplication::processEvents();  // so that the hourglass is drawn
    // A refused login is answered in words, never with the driver's own text
    // or the error report; where TLS could not be used, the words say why.
    QString tlsProblem;
    const bool opened = db::OpenConnection(CurrentLoginValues(), &tlsProblem);
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton5_Click"));
    if (opened)
        trap.Step(108, [&] { wizard_.Tell(QStringLiteral("Connection successful.")); });
    else
        trap.Step(114, [&] {
            wizard_.Tell(tlsProblem.isEmpty() ? CouldNotConnectText()
                                              : CouldNotConnectText() + QStringLiteral("\r\r") + tlsProblem);
        });
}

void Form1::PushButton3_Click() {
    if (busy_) return;
    BusyFlag busy(busy_);
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton3_Click"));

    bool opens = false;
    trap.Step(104, [&] { opens = db::OpenConnection(CurrentLoginValues()); });
    if (!opens) return;

    std::optional<db::Connection> connection;
    trap.Step(108, [&] { connection.emplace(db::Connection::Open(db::BuildConnectionText(CurrentLoginValues()))); });
    db::StoredResult tables;
    trap.Step(110, [&] {
        if (!connection) throw std::runtime_error("No connection is open.");
        tables = db::ListTables(*connection);
    });
    QListWidget* list = nullptr;
    std::size_t rowCount = 0;
    trap.Step(112, [&] {
        list = wizard_.form2().List1();
        list->clear();
        rowCount = tables.rowCount();
    });
    for (std::size_t row = 0; row < rowCount; ++row) {
        // Keeps the window painting while a long list loads; a second press
        // of a button meanwhile is ignored (see busy_).
        QCoreApplication::processEvents();
        trap.Step(116, [&] {
            list->addItem(app::NullSubstitute(tables.value(row, 0), db::DbValue::Text(QString())).text());
        });
    }
    trap.Step(122, [&] { tables = db::StoredResult(); });
    trap.Step(124, [&] { connection.reset(); });
    trap.Step(126, [&] {
        if (list != nullptr && list->count() > 0) list->setCurrentRow(0);
    });
    trap.Step(128, [&] { wizard_.form2().show(); });
    trap.Step(130, [&] { hide(); });
}

}  // namespace pages
