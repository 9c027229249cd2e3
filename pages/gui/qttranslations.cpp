#include "pages/gui/qttranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallQtTranslations(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"),
                          folder)) {
        delete translator;
        return false;
    }
    // Numbers and dates in dialogs follow the same language.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    return QCoreApplication::installTranslator(translator);
}
