#include "main_window/qt/bulgarian.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace zorvik {

bool installBulgarian(QApplication& app) {
    const QLocale bulgarian(QLocale::Bulgarian, QLocale::Bulgaria);
    QLocale::setDefault(bulgarian);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    bool loaded = false;
    for (const char* catalogue : {"qtbase", "qtmultimedia"}) {
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

}  // namespace zorvik

#include <cstdio>

#include "main_window/form1_layout.h"
#include "main_window/qt/form1_window.h"

namespace zorvik {

void prepareApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("zorvik-melodies"));
    QApplication::setWindowIcon(gui::Form1Window::icon());
    if (!installBulgarian(app)) {
        std::fprintf(stderr,
                     "zorvik-melodies: Qt's Bulgarian translations are missing "
                     "(Debian package qt6-translations-l10n)\n");
    }
}

}  // namespace zorvik
