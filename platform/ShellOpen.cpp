#include "platform/ShellOpen.h"

#include "platform/QtText.h"

#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

namespace {

constexpr const char* kOpener = "xdg-open";

} // namespace

WString ShellOpen::ExitReason(int exitStatus) {
    switch (exitStatus) {
    case 2:
        return WString(u"No such file or directory");
    case 3:
    case 4:
        return WString(u"no application on this desktop could open it");
    default:
        WString reason(u"the desktop's opener failed with status ");
        reason += WString::FromInt(exitStatus);
        return reason;
    }
}

bool ShellOpen::Open(const WString& path, FailureHandler onFailure) {
    auto fail = [&](const WString& reason) {
        if (onFailure) {
            onFailure(path, reason);
        }
        return false;
    };
    const QFileInfo file(ToQString(path));
    if (path.IsEmpty() || !file.exists()) {
        return fail(WString(u"No such file or directory"));
    }
    const QString opener = QStandardPaths::findExecutable(QString::fromLatin1(kOpener));
    if (opener.isEmpty()) {
        return fail(WString(u"the desktop's opener \"xdg-open\" was not found"));
    }
    // Parentless and never destroyed while it runs: on some desktops the opener lasts as long as
    // the viewer it started, and ending the editor must not close the user's viewer.
    auto* process = new QProcess();
    process->setProgram(opener);
    process->setArguments(QStringList{file.absoluteFilePath()});
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process,
                     [process, onFailure, path](int exitStatus, QProcess::ExitStatus how) {
                         if (onFailure && (how != QProcess::NormalExit || exitStatus != 0)) {
                             onFailure(path, how == QProcess::NormalExit
                                                 ? ExitReason(exitStatus)
                                                 : WString(u"the desktop's opener crashed"));
                         }
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, onFailure, path](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart) {
                             return;
                         }
                         if (onFailure) {
                             onFailure(path, FromQString(process->errorString()));
                         }
                         process->deleteLater();
                     });
    process->start();
    return true;
}
