#include <atomic>
#include <stdexcept>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QWidget>

#include "look/look.h"

namespace look {
namespace {

// Collects Qt's complaint about a style sheet it cannot parse while it is
// alive; every other message goes on to the handler that was there before.
class StyleSheetComplaints {
public:
    StyleSheetComplaints() : previous_(qInstallMessageHandler(&Collect)) { active_ = this; }
    ~StyleSheetComplaints() {
        qInstallMessageHandler(previous_);
        active_ = nullptr;
    }
    StyleSheetComplaints(const StyleSheetComplaints&) = delete;
    StyleSheetComplaints& operator=(const StyleSheetComplaints&) = delete;

    bool any() const { return complained_; }

private:
    static void Collect(QtMsgType type, const QMessageLogContext& context, const QString& message) {
        StyleSheetComplaints* active = active_.load();
        if (active == nullptr) return;
        if (type == QtWarningMsg && message.contains(QLatin1String("Could not parse"))) {
            active->complained_ = true;
            return;
        }
        if (active->previous_ != nullptr) active->previous_(type, context, message);
    }

    static inline std::atomic<StyleSheetComplaints*> active_{nullptr};
    QtMessageHandler previous_;
    bool complained_ = false;
};

std::runtime_error SkinError(const QString& path, const QString& reason) {
    return std::runtime_error(
        QStringLiteral("The skin file %1 %2.").arg(QDir::toNativeSeparators(path), reason).toStdString());
}

QString ReadSkin(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw SkinError(path, QStringLiteral("cannot be read: ") + file.errorString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw SkinError(path, QStringLiteral("cannot be read: ") + file.errorString());
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) throw SkinError(path, QStringLiteral("is not a text file"));
    return text;
}

// Applies the sheet to the whole application, or throws and leaves the
// application without a sheet when Qt cannot parse it.
void ApplyStyleSheet(const QString& path, const QString& sheet) {
    StyleSheetComplaints complaints;
    qApp->setStyleSheet(sheet);
    // Qt parses the sheet when it first styles a widget.
    QWidget probe;
    probe.ensurePolished();
    if (complaints.any()) {
        qApp->setStyleSheet(QString());
        throw SkinError(path, QStringLiteral("is not a style sheet that can be read"));
    }
}

}  // namespace

void ApplySkin(QWidget* loginPage, const QString& programFolder) {
    const QString path = programFolder + QStringLiteral("/x/o.cjs");
    // A folder of that name, a broken link or a device does not count.
    if (!QFileInfo(path).isFile()) return;
    ApplyFaceColour(loginPage);
    ApplyStyleSheet(path, ReadSkin(path));
}

}  // namespace look
