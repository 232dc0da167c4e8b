#include "platform/LastFolders.h"

#include "platform/SettingsStore.h"

#include <QDir>
#include <QFileInfo>

namespace LastFolders {

namespace {

const char* const kGroup = "folders";

QString keyOf(Dialog dialog) {
    // By the order of Dialog.
    static const char* const kKeys[] = {"openCapture",   "saveCsv",   "savePcap",
                                        "parameterFile", "saveImage", "saveFrame"};
    return QLatin1String(kGroup) + QLatin1Char('/') +
           QLatin1String(kKeys[static_cast<int>(dialog)]);
}

} // namespace

QString folder(Dialog dialog) {
    const QString stored = SettingsStore::open()->value(keyOf(dialog)).toString();
    return !stored.isEmpty() && QFileInfo(stored).isDir() ? stored : QString();
}

QString proposedPath(Dialog dialog, const QString& fileName) {
    const QString where = folder(dialog);
    return where.isEmpty() ? fileName : QDir(where).filePath(fileName);
}

void remember(Dialog dialog, const QString& chosenFile) {
    if (chosenFile.isEmpty()) {
        return;
    }
    SettingsStore::open()->setValue(keyOf(dialog), QFileInfo(chosenFile).absolutePath());
}

} // namespace LastFolders
