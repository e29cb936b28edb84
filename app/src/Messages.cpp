#include "app/Messages.h"

#include "link/LinkTypes.h"

#include <QDir>
#include <QStringList>

namespace tavrik::app {

QString StoreFailedMessage(Language language, const QString& programFolder,
                           const QString& userFolder) {
    QStringList tried;
    for (const QString* folder : {&programFolder, &userFolder}) {
        if (!folder->isEmpty()) {
            tried.append(QDir::toNativeSeparators(*folder));
        }
    }
    const QString list = tried.isEmpty() ? QStringLiteral("-") : tried.join(u'\n');
    return language == Language::Chinese
               ? QStringLiteral("无法保存所选串口：以下文件夹都无法写入 mysetup.ini：\n%1\n"
                                "在程序关闭之前仍使用所选串口。")
                     .arg(list)
               : QStringLiteral("The chosen port cannot be saved: mysetup.ini cannot be "
                                "written in any of these folders:\n%1\n"
                                "The port stays chosen until the program closes.")
                     .arg(list);
}

} // namespace tavrik::app
