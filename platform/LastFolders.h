#pragma once

#include <QString>

// The folder each file dialog last took a file from, remembered between
// runs, so that the next dialog of the same kind opens there.
namespace LastFolders {

enum class Dialog { OpenCapture, SaveCsv, SavePcap, ParameterFile, SaveImage, SaveFrame };

// The remembered folder; empty when none is, or when it no longer exists.
QString folder(Dialog dialog);
// `fileName` inside the remembered folder, or `fileName` alone.
QString proposedPath(Dialog dialog, const QString& fileName);
// Remembers the folder of a chosen file; an empty path (cancelled) changes
// nothing.
void remember(Dialog dialog, const QString& chosenFile);

} // namespace LastFolders
