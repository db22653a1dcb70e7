#include "platform/ShellOpen.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

bool ShellOpen::OpenFile(const WString& path) {
    if (path.IsEmpty()) {
        return false;
    }
    const QString local = QString::fromUtf16(path.c_str(), path.Length());
    return QDesktopServices::openUrl(QUrl::fromLocalFile(local));
}
