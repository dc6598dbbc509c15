#pragma once

#include <exception>
#include <utility>

#include <QString>

#include "app/messenger.h"

namespace app {

// The location text of a handler: "in Rowspill2021/08/31.Form4.PushButton4_Click ".
QString LocationText(const QString& page, const QString& handler);

// The error report's message: the description, CR LF, the location text,
// "at line " and the label, two bare CRs, and the screenshot request.
QString ErrorReportText(const QString& description, const QString& location, int label);

// Shows one error report: titled "Application Error", warning icon, OK only.
void ShowErrorReport(Messenger& messenger, const QString& description, const QString& location, int label);

// The error trap of one handler. Each step runs under its label; a step that
// throws shows the report with that label, and the handler goes on with its
// next step. Step() tells whether the step succeeded, so that a handler can
// end a loop whose bounds failed instead of spinning.
class ErrorTrap {
public:
    ErrorTrap(Messenger& messenger, QString location) : messenger_(messenger), location_(std::move(location)) {}

    template <typename Work>
    bool Step(int label, Work&& work) {
        try {
            std::forward<Work>(work)();
            return true;
        } catch (const std::exception& e) {
            Report(label, QString::fromUtf8(e.what()));
        } catch (...) {
            Report(label, QStringLiteral("Unknown failure."));
        }
        return false;
    }

    void Report(int label, const QString& description);
    int failures() const { return failures_; }

private:
    Messenger& messenger_;
    QString location_;
    int failures_ = 0;
};

}  // namespace app
