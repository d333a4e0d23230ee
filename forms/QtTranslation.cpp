#include "forms/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool installQtPortuguese(QCoreApplication &app)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto *translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_pt_BR"), folder) || !QCoreApplication::installTranslator(translator)) {
        qWarning("Qt's Portuguese texts not found in %s (package qt6-translations-l10n): standard dialogs in English",
                 qUtf8Printable(folder));
        delete translator;
        return false;
    }
    return true;
}
