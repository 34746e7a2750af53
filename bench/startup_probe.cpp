// The program as it starts, until its first repaint has filled the list.
#include "app/application.h"
#include "app/bulgarian.h"
#include "bench/first_paint.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    zorvik::prepareApplication(app);
    zorvik::Application program;
    program.start();
    return zorvik::bench::reportFirstPaint(program.window(),
                                           [&] { return program.form().repaintsRun() > 0; });
}
