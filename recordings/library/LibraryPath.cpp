#include "core/Registry.h"
#include "core/Settings.h"
#include "recordings/library/LibraryStore.h"

#include <QDir>

QString libraryFilePath()
{
    TRegistry registry;
    if (registry.OpenKey(settingsKey, false)) {
        try {
            const QString chosen = registry.ReadString(QStringLiteral("Biblioteca")).trimmed();
            if (!chosen.isEmpty())
                return chosen;
        } catch (const std::exception &e) {
            qWarning("library path in the settings: %s", e.what());
        }
    }
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/Tavenor/biblioteca.sqlite");
}
