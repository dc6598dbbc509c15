#include "app/error_report.h"

#include "app/app_info.h"
#include "app/logging.h"

namespace app {

QString LocationText(const QString& page, const QString& handler) {
    return QStringLiteral("in Rowspill2021/08/31.") + page + QLatin1Char('.') + handler + QLatin1Char(' ');
}

QString ErrorReportText(const QString& description, const QString& location, int label) {
    return description + QStringLiteral("\r\n") + location + QStringLiteral("at line ") + QString::number(label) +
           QStringLiteral("\r\r") + QStringLiteral("Please email screenshot of this message to ") + SupportAddress();
}

void ShowErrorReport(Messenger& messenger, const QString& description, const QString& location, int label) {
    messenger.Show(QStringLiteral("Application Error"), ErrorReportText(description, location, label),
                   MessageIcon::Warning);
}

void ErrorTrap::Report(int label, const QString& description) {
    qCDebug(lcUi).noquote() << location_ + QStringLiteral("at line ") + QString::number(label) + QStringLiteral(":")
                            << description;
    ++failures_;
    ShowErrorReport(messenger_, description, location_, label);
}

}  // namespace app
