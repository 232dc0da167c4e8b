#pragma once

#include <QString>

// What draws the 3D view. A software rasteriser (as on a machine without a
// GPU driver, or under a virtual X server) pays for every multisample of
// every pixel, so the view turns multisampling off there.
namespace OpenGLRenderer {

// The renderer name of an OpenGL context made with the application's
// default surface format; empty when no context can be made.
QString name();

// Whether a renderer name belongs to a software rasteriser.
bool isSoftware(const QString& rendererName);

} // namespace OpenGLRenderer
