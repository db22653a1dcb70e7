#include "platform/GlContextProbe.h"

#include "platform/QtText.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QStringList>
#include <QSurfaceFormat>

#include <algorithm>

namespace {

// Platforms that draw into memory only: they may hand out a context, but a window that shows an
// OpenGL surface on them crashes when it is flushed.
bool DrawsIntoMemoryOnly(const QString& platform) {
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

WString GlText(QOpenGLFunctions& gl, GLenum name) {
    const auto* text = reinterpret_cast<const char*>(gl.glGetString(name));
    return text == nullptr ? WString() : WString::FromUtf8(text);
}

} // namespace

QSurfaceFormat GlContextProbe::Format() {
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    // 24 bits is the deepest buffer that X servers commonly offer; the frame never tests depth.
    format.setDepthBufferSize(24);
    return format;
}

bool GlContextProbe::CanMakeContext() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr ||
        DrawsIntoMemoryOnly(QGuiApplication::platformName())) {
        return false;
    }
    QOpenGLContext context;
    context.setFormat(Format());
    if (!context.create() || context.isOpenGLES() ||
        context.format().profile() == QSurfaceFormat::CoreProfile) {
        return false;
    }
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!surface.isValid() || !context.makeCurrent(&surface)) {
        return false;
    }
    // A context that gives no version string cannot draw either.
    const bool answers = context.functions()->glGetString(GL_VERSION) != nullptr;
    context.doneCurrent();
    return answers;
}

GlDescription GlContextProbe::DescribeCurrent() {
    GlDescription description;
    QOpenGLContext* context = QOpenGLContext::currentContext();
    if (context == nullptr) {
        return description;
    }
    QOpenGLFunctions& gl = *context->functions();
    description.version = GlText(gl, GL_VERSION);
    description.extensions = GlText(gl, GL_EXTENSIONS);
    if (description.extensions.IsEmpty()) {
        // Contexts without the one-string list still name their extensions to Qt.
        QStringList names;
        for (const QByteArray& name : context->extensions()) {
            names.append(QString::fromLatin1(name));
        }
        std::sort(names.begin(), names.end());
        description.extensions = FromQString(names.join(QLatin1Char(' ')));
    }
    GLint maxSize = 0;
    gl.glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    description.maxTextureSize = std::max(0, static_cast<int>(maxSize));
    return description;
}
