// The program as it starts, until its first repaint has filled the list: the program's own
// composition, with the report of bench/first_paint.h.
#include "bench/first_paint.h"
#include "main_window/qt/qt_desktop.h"

int main(int argc, char** argv) {
    zorvik::Program program(zorvik::createDesktop(argc, argv));
    program.start();
    return zorvik::bench::reportFirstPaint(zorvik::qtDesktopOf(program).window(),
                                           [&] { return program.form().repaintsRun() > 0; });
}
