#pragma once

#include <QIcon>
#include <QString>

// Finds the program's images whatever the working directory. Names may be
// given as the forms and dialogs write them: a resource path
// (":/image/Resources/images/Play.png"), a loose path relative to the
// program folder ("./Resources/images/Play.png", "Resources/images/x.ico",
// "image/Sensor.png") or a bare file name. A loose file that exists (relative
// to the working directory, then to the executable's folder, then the file
// of that name in the installed images folder) is used first, so images
// placed beside the program can replace the built-in ones; otherwise the
// built-in image of the same file name.
namespace ImagePath {

// Makes the built-in images and pages reachable; called by the functions
// below, and by whoever reads ":/" paths directly before them.
void ensureResources();

QString resolve(const QString& name);
// The same for a program in `programFolder`.
QString resolve(const QString& name, const QString& programFolder);
QIcon icon(const QString& name);

// The resource path of a built-in image, by file name.
QString builtIn(const QString& fileName);

} // namespace ImagePath
