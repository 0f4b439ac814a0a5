// Loading Qt's Russian translation.
#include "windows/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLoggingCategory>
#include <QTranslator>

Q_LOGGING_CATEGORY(lcTranslations, "ktv31.translations", QtWarningMsg)

namespace ktv31 {

bool LoadQtTranslations(QCoreApplication &app)
{
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto *translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ru"), folder)) {
        qCWarning(lcTranslations)
            << "no qtbase_ru in" << folder
            << "(package qt6-translations-l10n): Qt's dialogs stay in English";
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

} // namespace ktv31
