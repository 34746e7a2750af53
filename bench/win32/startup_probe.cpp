// The program as it starts, until its first repaint has filled the list and every control has
// been painted: the program's own entry, with the report of bench/win32/first_paint.h.
#include <utility>

#include "bench/win32/first_paint.h"
#include "main_window/desktop.h"
#include "main_window/program.h"

int main(int argc, char** argv) {
    auto desktop = zorvik::createDesktop(argc, argv);
    if (!desktop) {
        return 1;
    }
    zorvik::Program program(std::move(desktop));
    zorvik::bench::reportFirstPaint([&] { return program.form().repaintsRun() > 0; });
    return program.run();
}
