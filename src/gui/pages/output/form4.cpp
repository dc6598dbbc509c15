#include "pages/output/form4.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QStyleHints>

#include "app/error_report.h"
#include "app/shared_routines.h"
#include "export/export_job.h"
#include "lines/split_check.h"
#include "look/look.h"
#include "look/page_pointer.h"
#include "pages/fields/form3.h"
#include "pages/page_steps.h"
#include "ui_form4.h"
#include "wizard/wizard.h"

namespace pages {
namespace {
// The progress bar counts in thousandths of the export.
constexpr int kProgressSteps = 1000;
}  // namespace

const QChar Form4::kTabSign = QChar(0x2192);  // →

Form4::Form4(wizard::Wizard& wizard)
    : WizardPage(wizard, QStringLiteral("Form4"), Look()), ui_(std::make_unique<Ui::Form4>()) {
    ui_->setupUi(this);
    DressAsLaidOut();
    connect(ui_->PushButton2, &QPushButton::clicked, this, &Form4::PushButton2_Click);
    connect(ui_->PushButton3, &QPushButton::clicked, this, &Form4::PushButton3_Click);
    connect(ui_->PushButton4, &QPushButton::clicked, this, &Form4::PushButton4_Click);
    ui_->ProgressBar1->setRange(0, kProgressSteps);
    waitNote_ = new QLabel(QStringLiteral("Waiting for the server to send the first row…"), ui_->ProgressBar1);
    waitNote_->setObjectName(QStringLiteral("Label1"));
    waitNote_->setAlignment(Qt::AlignCenter);
    waitNote_->setAttribute(Qt::WA_TransparentForMouseEvents);
    waitNote_->hide();
    // The page opens with the focus where its tab order starts: "< Back".
    ui_->PushButton2->setFocus();
    // A tab in the separator shows as a visible sign, and Ctrl+I types one.
    connect(ui_->Text2, &QLineEdit::textChanged, this, &Form4::ShowTabsInSeparator);
    ui_->Text2->installEventFilter(this);
    ui_->Text2->setToolTip(QStringLiteral("A %1 stands for a tab; Ctrl+I types one.").arg(kTabSign));
}

QString Form4::SeparatorInBox(const QString& shown) {
    QString separator = shown;
    return separator.replace(kTabSign, QLatin1Char('\t'));
}

QString Form4::SeparatorAsShown(const QString& separator) {
    QString shown = separator;
    return shown.replace(QLatin1Char('\t'), kTabSign);
}

void Form4::ShowTabsInSeparator(const QString& text) {
    if (!text.contains(QLatin1Char('\t'))) return;
    const int cursor = ui_->Text2->cursorPosition();
    ui_->Text2->setText(SeparatorAsShown(text));
    ui_->Text2->setCursorPosition(cursor);
}

bool Form4::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->Text2 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_I && key->modifiers() == Qt::ControlModifier) {
            ui_->Text2->insert(QString(kTabSign));
            return true;
        }
    }
    return WizardPage::eventFilter(watched, event);
}

// The job stops a running export and waits for its thread before the page's
// controls go.
Form4::~Form4() { job_.reset(); }

QStringList Form4::OutputFilters() {
    return {QStringLiteral("Text Files (*.txt)"), QStringLiteral("CSV Files (*.csv)"), QStringLiteral("All Files (*)")};
}

void Form4::Form_Load() {
    app::ErrorTrap trap = Trap(QStringLiteral("Form_Load"));
    DressLoadingPage(trap);
    QString folder;
    const bool found = trap.Step(output_steps::kLoadDesktopFolder, [&] { folder = app::GetDesktopFolder(); });
    trap.Step(output_steps::kLoadDefaultPath, [&] {
        // The folder ends in "/"; exactly one "/" stands before the file name.
        if (found) folder.chop(1);
        ui_->Text1->setText(folder + QStringLiteral("/output.txt"));
    });
    trap.Step(output_steps::kLoadDefaultSeparator, [&] { ui_->Text2->setText(QStringLiteral(",")); });
}

void Form4::PushButton3_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton3_Click"));
    QString chosen;
    trap.Step(output_steps::kBrowseAsk, [&] {
        chosen = wizard_.fileDialog().GetSaveFileName(this, QStringLiteral("Choose output file"), OutputFilters());
    });
    if (chosen.isEmpty()) return;  // cancelled: the path stays as it was
    trap.Step(output_steps::kBrowseShowPath, [&] { ui_->Text1->setText(chosen); });
}

void Form4::PushButton2_Click() {
    app::ErrorTrap trap = Trap(QStringLiteral("PushButton2_Click"));
    Form3* fields = nullptr;
    trap.Step(output_steps::kBackShowFieldPage, [&] {
        fields = &wizard_.EnsurePage<Form3>();
        fields->show();
    });
    if (fields != nullptr)
        fields->Arrive(trap,
                       {output_steps::kBackButtonStates, output_steps::kBackSelectFirst, output_steps::kBackFocusGrid});
    trap.Step(output_steps::kBackHide, [&] { hide(); });
    if (fields != nullptr)
        trap.Step(output_steps::kBackDropChosenFields, [&] { fields->DropChosenFromAvailable(false); });
}

void Form4::PushButton4_Click() {
    if (ui_->PushButton4->text() == QLatin1String("Exit")) {
        // The second press of a double-click or a double Enter on "Finish"
        // is no press of "Exit".
        if (exitShown_.isValid() && !exitShown_.hasExpired(QGuiApplication::styleHints()->mouseDoubleClickInterval()))
            return;
        wizard_.EndProcess();
        return;
    }
    if (exportRunning()) return;

    // Everything the export needs is read now, once: typing on while it runs
    // changes nothing in the file being written.
    exporter::ExportRequest request = ReadExportRequest();
    exportedSeparator_ = request.separator;
    // The button is disabled while the export runs; a keyboard user finds the
    // focus on it again afterwards.
    focusFinishAfterExport_ = ui_->PushButton4->hasFocus();
    hourglass_ = std::make_unique<look::HourglassPointer>(this);
    SetExportControlsEnabled(false);
    ui_->ProgressBar1->setValue(0);
    waitNote_->setToolTip(QStringLiteral("The server has not sent the first row of \"%1\" yet: another session may "
                                         "hold a lock on the table.")
                              .arg(request.tableName));
    ShowWaitingForRows(true);
    if (!job_) {
        job_ = std::make_unique<exporter::ExportJob>();
        connect(job_.get(), &exporter::ExportJob::queryAnswered, this, [this] { ShowWaitingForRows(false); });
        connect(job_.get(), &exporter::ExportJob::progress, this, &Form4::ShowExportProgress);
        connect(job_.get(), &exporter::ExportJob::finished, this, &Form4::ExportEnded);
    }
    job_->Start(std::move(request), lines::ValueStyle::ForFile());
}

bool Form4::exportRunning() const { return job_ && job_->running(); }

exporter::ExportRequest Form4::ReadExportRequest() {
    exporter::ExportRequest request;
    request.login = wizard_.CurrentLoginValues();
    request.tableName = wizard_.state().tableName;
    request.fieldListText = wizard_.state().fieldListText;
    request.header = ui_->Check6->isChecked();
    request.separator = SeparatorInBox(ui_->Text2->text());
    request.outputPath = app::WizardOutputPath(ui_->Text1->text());
    return request;
}

void Form4::ShowExportProgress(quint64 rowsWritten, quint64 estimatedRows) {
    if (estimatedRows == 0) return;
    // The estimate may be short of the real count: the bar is full only at the end.
    const quint64 steps =
        rowsWritten >= estimatedRows ? kProgressSteps - 1 : rowsWritten * kProgressSteps / estimatedRows;
    ui_->ProgressBar1->setValue(static_cast<int>(steps));
}

void Form4::ShowWaitingForRows(bool waiting) {
    ui_->ProgressBar1->setRange(0, waiting ? 0 : kProgressSteps);
    waitNote_->setGeometry(ui_->ProgressBar1->rect());
    waitNote_->setVisible(waiting);
}

void Form4::ExportEnded() {
    const exporter::ExportOutcome& outcome = job_->outcome();
    ShowWaitingForRows(false);
    hourglass_.reset();
    SetExportControlsEnabled(true);
    if (focusFinishAfterExport_) ui_->PushButton4->setFocus();
    if (outcome.written()) {
        ui_->ProgressBar1->setValue(kProgressSteps);
        ui_->PushButton4->setText(QStringLiteral("Exit"));
        exitShown_.start();
        // The file is as asked; a word on the values that keep some of its
        // lines from being split back into fields, the separator as its box
        // shows it.
        const QString warning = lines::SplitWarningText(outcome.splitProblems, SeparatorAsShown(exportedSeparator_));
        if (!warning.isEmpty()) wizard_.Tell(warning.left(1).toUpper() + warning.mid(1) + QLatin1Char('.'));
    } else {
        ui_->ProgressBar1->setValue(0);
        if (outcome.status == exporter::ExportOutcome::Status::Failed)
            Trap(QStringLiteral("PushButton4_Click")).Report(outcome.label, outcome.description);
    }
    emit exportFinished();
}

void Form4::SetExportControlsEnabled(bool enabled) {
    ui_->PushButton4->setEnabled(enabled);
    ui_->PushButton2->setEnabled(enabled);
}

void Form4::closeEvent(QCloseEvent* event) {
    // The window goes at once; the export is stopped before the program ends
    // so the old file stays as it was.
    hide();
    if (job_) job_->Stop();
    WizardPage::closeEvent(event);
}

}  // namespace pages
