#include "app/WindowIcon.h"

#include "support/WString.h"

#include <QFileInfo>
#include <QString>

QIcon WindowIcon::FromDirectory(const WString& programDirectory) {
    QIcon icon;
    const QString folder = QString::fromStdString(programDirectory.ToUtf8()) + QStringLiteral("icons/");
    for (const int size : kSizes) {
        const QString file = folder + QStringLiteral("gridvellum-%1.png").arg(size);
        if (QFileInfo::exists(file)) {
            icon.addFile(file, QSize(size, size));
        }
    }
    return icon;
}
