#include "main_window/qt/bulgarian.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>
#include <cstdio>

#include "main_window/qt/accessibility.h"
#include "main_window/qt/form1_window.h"

namespace zorvik {

bool installBulgarian(QApplication& app) {
    const QLocale bulgarian(QLocale::Bulgarian, QLocale::Bulgaria);
    QLocale::setDefault(bulgarian);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    bool loaded = false;
    for (const char* catalogue : {"qtbase"}) {
        auto* translator = new QTranslator(&app);
        if (translator->load(bulgarian, QString::fromLatin1(catalogue), QStringLiteral("_"),
                             folder)) {
            QApplication::installTranslator(translator);
            loaded = true;
        } else {
            delete translator;
        }
    }
    return loaded;
}

void prepareApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("zorvik-melodies"));
    QApplication::setWindowIcon(gui::Form1Window::icon());
    gui::installAccessibleRoles();
    // The program keeps no files of its own, but Qt's file dialog saves its history in a
    // settings file of the user's whenever it closes. Its settings are pointed at a place where
    // no file can be made, so nothing is written.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("/dev/null"));
    if (!installBulgarian(app)) {
        std::fprintf(stderr,
                     "zorvik-melodies: Qt's Bulgarian translations are missing "
                     "(Debian package qt6-translations-l10n)\n");
    }
}

}  // namespace zorvik
