#include "app/ToolBarIcons.h"

#include "platform/QtText.h"

#include <QFileInfo>
#include <QString>

QIcon ToolBarIcons::Drawn(const char* name, const WString& programDirectory) {
    QIcon icon;
    const QString stem =
        ToQString(programDirectory) + QStringLiteral("icons/toolbar/") + QString::fromLatin1(name);
    for (const int size : kSizes) {
        const QString file = stem + QStringLiteral("-%1.png").arg(size);
        if (QFileInfo::exists(file)) {
            icon.addFile(file, QSize(size, size));
        }
    }
    return icon;
}

QIcon ToolBarIcons::For(const char* name, const WString& programDirectory) {
    if (name == nullptr || *name == '\0') {
        return QIcon();
    }
    return QIcon::fromTheme(QString::fromLatin1(name), Drawn(name, programDirectory));
}
