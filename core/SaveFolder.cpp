#include "core/SaveFolder.h"

#include "core/SettingsFileUpdate.h"
#include "core/SettingsLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

QString lastSaveFolder()
{
    const QString kept = QSettings(settingsFilePath(), QSettings::IniFormat).value(saveFolderName).toString();
    if (!kept.isEmpty() && QFileInfo(kept).isDir())
        return kept;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

void rememberSaveFolder(const QString &folder)
{
    const QString path = settingsFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    updateSettingsFile(path, saveFolderName, folder);
}
