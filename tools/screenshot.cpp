// Draws the real window off screen and writes it to a PNG file: the README's picture, made
// from the program itself. Drive C: and the settings come from the environment as usual.
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <cstdio>
#include <cstdlib>

#include "main_window/qt/qt_desktop.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: zorvik-screenshot OUTPUT.png [ENTRY-TO-SELECT]\n");
        return 2;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    zorvik::Program program(zorvik::createDesktop(argc, argv));
    program.start();
    zorvik::gui::Form1Window& window = zorvik::qtDesktopOf(program).window();
    // the first repaint re-reads the list and clears any selection: let it pass first
    QElapsedTimer waited;
    waited.start();
    while (window.repaintsRequested() == 0 && waited.elapsed() < 5000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    if (argc > 2) {
        const auto& entries = program.form().File1().entries();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i] == argv[2]) {
                program.form().selectEntry(i);
                program.form().File1_Click();
            }
        }
    }
    QApplication::processEvents();
    const QPixmap picture = window.grab();
    if (!picture.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
