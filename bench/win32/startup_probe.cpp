// The program as it starts, until its first repaint has filled the list and every control has
// been painted: the program's own entry, with the report of bench/win32/first_paint.h.
#include "bench/win32/first_paint.h"
#include "main_window/desktop.h"
#include "main_window/form1.h"
#include "settings/shell_object.h"

int main(int argc, char** argv) {
    auto desktop = zorvik::createDesktop(argc, argv);
    if (!desktop) {
        return 1;
    }
    zorvik::PlatformServices& platform = desktop->services();
    zorvik::settings::RegistryShellFactory shells(platform.settingsStore());
    zorvik::Form1 form(zorvik::formServicesOf(platform, shells));
    zorvik::bench::reportFirstPaint([&] { return form.repaintsRun() > 0; });
    return desktop->run(form);
}
