#include "platform/OpenGLRenderer.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QStringList>

namespace OpenGLRenderer {

QString name() {
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext context;
    if (!surface.isValid() || !context.create() || !context.makeCurrent(&surface)) {
        return {};
    }
    const auto* text = context.functions()->glGetString(GL_RENDERER);
    QString result =
        text != nullptr ? QString::fromLatin1(reinterpret_cast<const char*>(text)) : QString();
    context.doneCurrent();
    return result;
}

bool isSoftware(const QString& rendererName) {
    static const QStringList kSoftware = {QStringLiteral("llvmpipe"), QStringLiteral("softpipe"),
                                          QStringLiteral("Software Rasterizer"),
                                          QStringLiteral("SWR")};
    for (const QString& s : kSoftware) {
        if (rendererName.contains(s, Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

} // namespace OpenGLRenderer
