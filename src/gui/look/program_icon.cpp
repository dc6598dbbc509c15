#include <stdexcept>

#include <QFile>

#include "look/look.h"

// The icon images live in a resource of this static library, which the
// linker drops unless someone asks for it by name.
static void InitProgramIconResource() { Q_INIT_RESOURCE(program_icon); }

namespace look {

QIcon ProgramIcon() {
    static const bool registered = (InitProgramIconResource(), true);
    Q_UNUSED(registered);
    QIcon icon;
    for (const int size : {32, 48, 128, 256}) {
        const QString image = QStringLiteral(":/tablewright/icons/tablewright-%1.png").arg(size);
        if (!QFile::exists(image)) throw std::runtime_error("The program icon is missing from the program.");
        icon.addFile(image, QSize(size, size));
    }
    return icon;
}

}  // namespace look
