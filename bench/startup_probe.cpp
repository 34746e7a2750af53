// The program as it starts, until its first repaint has filled the list.
#include "bench/first_paint.h"
#include "main_window/qt/bulgarian.h"
#include "main_window/qt/qt_desktop.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    zorvik::prepareApplication(app);
    zorvik::QtProgram program;
    program.start();
    return zorvik::bench::reportFirstPaint(program.window(),
                                           [&] { return program.form().repaintsRun() > 0; });
}
