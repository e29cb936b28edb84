#include "platform/ProgramFolder.h"

#include <QCoreApplication>

namespace tavrik::platform {

QString programFolder() {
    return QCoreApplication::applicationDirPath();
}

} // namespace tavrik::platform
