#include "gl/GlErrorReport.h"

#include <GL/gl.h>
#include <GL/glu.h>

WString GlErrorReport::Describe(unsigned int code) {
    WString text(u"had error: #(");
    text.AppendUnsigned(code);
    text += u") ";
    const GLubyte* name = gluErrorString(static_cast<GLenum>(code));
    if (name != nullptr) {
        text += reinterpret_cast<const char*>(name);
    }
    return text;
}

unsigned int GlErrorReport::Check(const GlErrorSink& sink) {
    const GLenum code = glGetError();
    if (code != GL_NO_ERROR && sink) {
        sink(Describe(code));
    }
    return code;
}
