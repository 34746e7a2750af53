// The second floor of start-up, to read beside the first: the least Qt Widgets window of the same
// size with one label, shown and painted, as the bare window of the Windows floor.
#include <QLabel>

#include "bench/first_paint.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("floor"));
    window.setFixedSize(315, 346);
    QLabel label(QStringLiteral("floor"), &window);
    window.show();
    return zorvik::bench::reportFirstPaint(window);
}
