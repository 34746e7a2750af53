// The program that the killed-midway tests kill: it carries out one operation on a machine the
// test prepared and kills itself at the step it is told.
//   zorvik_killed_midway_child ring|move|moveover <step> <folder> <key branch>
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/win32/wide_text.h"
#include "tests/win32/killed_machine.h"

int main() {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide == nullptr || count != 5) {
        return 2;
    }
    std::vector<std::string> args;
    for (int at = 0; at < count; ++at) {
        args.push_back(zorvik::win32::toUtf8Lossy(wide[at]));
    }
    LocalFree(wide);
    using zorvik::testing::KilledOperation;
    const auto operation = args[1] == "move"       ? KilledOperation::Move
                           : args[1] == "moveover" ? KilledOperation::MoveOverOlder
                                                   : KilledOperation::RingChoice;
    zorvik::testing::KilledMachine machine(operation, args[3], args[4], std::stoi(args[2]));
    machine.run();
    return 0;  // not killed: the step was beyond the operation's last
}
