#pragma once

#include <memory>

#include <QElapsedTimer>

#include "pages/page_kind.h"
#include "pages/wizard_page.h"

class QLabel;

namespace Ui {
class Form4;
}
namespace exporter {
class ExportJob;
struct ExportRequest;
}  // namespace exporter
namespace look {
class HourglassPointer;
}

namespace pages {

// The output page: the output file, the separator, the header choice, and
// "Finish", which runs the export and then reads "Exit".
class Form4 : public WizardPage {
    Q_OBJECT

public:
    static constexpr PageKind kKind = PageKind::Output;
    // Its font and hover rules, handed to the page base class (form4_look.cpp).
    static const look::PageLook& Look();

    explicit Form4(wizard::Wizard& wizard);
    ~Form4() override;

    void Form_Load() override;
    void PushButton2_Click();  // "< Back"
    void PushButton3_Click();  // "..."
    void PushButton4_Click();  // "Finish" / "Exit"

    // True from "Finish" until the export has ended; exportFinished() is
    // emitted when it has, after the page has shown the result.
    bool exportRunning() const;

    static QStringList OutputFilters();

    // How a tab in the separator shows in its box ("→"), and the separator a
    // box's text stands for: the text exactly as typed, each sign a tab;
    // SeparatorAsShown goes the other way, for the page's messages.
    static const QChar kTabSign;
    static QString SeparatorInBox(const QString& shown);
    static QString SeparatorAsShown(const QString& separator);

signals:
    void exportFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Closing the window during an export stops it (the old file stays as
    // it was) before the program ends.
    void closeEvent(QCloseEvent* event) override;

private:
    exporter::ExportRequest ReadExportRequest();

    void ShowTabsInSeparator(const QString& text);
    void ShowExportProgress(quint64 rowsWritten, quint64 estimatedRows);
    // Until the server sends the rows, the bar is busy and a note over it
    // says what the export waits for.
    void ShowWaitingForRows(bool waiting);
    void ExportEnded();
    void SetExportControlsEnabled(bool enabled);

    std::unique_ptr<Ui::Form4> ui_;
    std::unique_ptr<exporter::ExportJob> job_;
    std::unique_ptr<look::HourglassPointer> hourglass_;
    bool focusFinishAfterExport_ = false;
    QString exportedSeparator_;
    QLabel* waitNote_;  // owned by the progress bar
    // Since when the button reads "Exit".
    QElapsedTimer exitShown_;
};

}  // namespace pages
