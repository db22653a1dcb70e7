#include "platform/ScreenMetrics.h"

#include <QGuiApplication>
#include <QScreen>

int ScreenDotsPerInch() {
    constexpr int kFallbackDpi = 96;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return kFallbackDpi;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return kFallbackDpi;
    }
    const double mean = (screen->logicalDotsPerInchX() + screen->logicalDotsPerInchY()) / 2.0;
    return mean >= 1.0 ? static_cast<int>(mean) : kFallbackDpi;
}
