// The second floor of start-up, to read beside the first: the least Qt Widgets window of the same
// size, shown and painted, with no font opened and no control drawn.
#include "bench/first_paint.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("floor"));
    window.setFixedSize(315, 346);
    window.show();
    return zorvik::bench::reportFirstPaint(window);
}
