#include "tests/support/forked_child.h"

#include <sys/wait.h>
#include <unistd.h>

#ifdef ZORVIK_COVERAGE_COUNTS
// gcc's coverage runtime: writes the counts so far
extern "C" void __gcov_dump();
#endif

namespace zorvik::testing {

void endChild(int code) {
#ifdef ZORVIK_COVERAGE_COUNTS
    __gcov_dump();
#endif
    _exit(code);
}

int asOrdinaryUser(const std::function<bool()>& act) {
    constexpr uid_t kNobody = 65534;
    const pid_t child = fork();
    if (child == 0) {
        const uid_t self = geteuid();
        const gid_t group = getegid();
        if (self == 0 && (setegid(kNobody) != 0 || seteuid(kNobody) != 0)) {
            _exit(77);
        }
        const bool done = act();
        if (self == 0 && (seteuid(self) != 0 || setegid(group) != 0)) {
            _exit(done ? 0 : 1);
        }
        endChild(done ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
}

}  // namespace zorvik::testing
