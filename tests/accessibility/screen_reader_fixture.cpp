#include "tests/accessibility/screen_reader_fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

#include "main_window/form1_layout.h"
#include "tests/support/sound_files.h"
#include "tests/support/test_display.h"

extern char** environ;

namespace zorvik::testing {

namespace {

pid_t spawn(const std::vector<std::string>& arguments, posix_spawn_file_actions_t* actions) {
    std::vector<char*> argv;
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t child = -1;
    if (posix_spawnp(&child, argv[0], actions, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    return child;
}

// Asks a child to end, as the system does, and reaps it; killed when it does not end.
void end(pid_t child) {
    if (child <= 0) {
        return;
    }
    kill(child, SIGTERM);
    for (int round = 0; round < 200; ++round) {
        if (waitpid(child, nullptr, WNOHANG) == child) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
}

std::string firstLineFrom(int descriptor) {
    std::string line;
    pollfd wanted{descriptor, POLLIN, 0};
    char c = 0;
    while (poll(&wanted, 1, 10000) > 0 && read(descriptor, &c, 1) == 1 && c != '\n') {
        line += c;
    }
    return line;
}

}  // namespace

PrivateSession::~PrivateSession() {
    end(daemon_);
}

std::string PrivateSession::start() {
    int address[2];
    if (pipe2(address, O_CLOEXEC) != 0) {
        return "no pipe for the session bus's address";
    }
    // The accessibility bus lays its socket in the runtime folder: one of our own, so that no
    // other session on this machine meets ours. Without a display the bus launcher leaves the
    // display's root window alone.
    setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
    const std::string display = getenv("DISPLAY") != nullptr ? getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, address[1], STDOUT_FILENO);
    // what it and the services it starts say goes nowhere: the tests report what matters
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    daemon_ = spawn({"dbus-daemon", "--session", "--nofork", "--print-address"}, &actions);
    posix_spawn_file_actions_destroy(&actions);
    if (!display.empty()) {
        setenv("DISPLAY", display.c_str(), 1);
    }
    close(address[1]);
    const std::string bus = daemon_ > 0 ? firstLineFrom(address[0]) : "";
    close(address[0]);
    if (bus.empty()) {
        return "the private D-Bus session did not start (dbus-daemon)";
    }
    setenv("DBUS_SESSION_BUS_ADDRESS", bus.c_str(), 1);
    return {};
}

std::string& screenReaderUnavailableReason() {
    static std::string reason;
    return reason;
}

void ScreenReaderTest::SetUp() {
    if (!screenReaderUnavailableReason().empty()) {
        GTEST_SKIP() << screenReaderUnavailableReason();
    }
    focus_.emplace();
}

void ScreenReaderTest::TearDown() {
    end(program_);
    program_ = -1;
}

Accessible ScreenReaderTest::startProgram() {
    const auto rings = root_ / "c" / "Program Files" / "Zorvik" / "Rings";
    std::filesystem::create_directories(rings / "Deleted");
    writeFile(rings / "a.wav", testing::waveFile("a"));
    writeFile(rings / "Звън.wav", testing::waveFile("b"));
    writeFile(rings / "Deleted" / "old.wav", testing::waveFile("c"));
    writeFile(rings.parent_path() / "Phone.wav", "ring");
    setenv("ZORVIK_DRIVE_C", (root_ / "c").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root_ / "config").c_str(), 1);
    program_ = spawn({ZORVIK_PROGRAM}, nullptr);
    EXPECT_GT(program_, 0) << "the program did not start";
    Accessible window = topLevel(ATSPI_ROLE_FRAME, layout::kFormCaption);
    EXPECT_TRUE(window) << "the program's window never reached the accessibility bus";
    commandOutput("xdotool search --sync --onlyvisible --pid " + std::to_string(program_) +
                  " windowactivate --sync 2>/dev/null");
    EXPECT_TRUE(waitFor([&] { return window.has(ATSPI_STATE_ACTIVE); }))
        << "the program's window never became active";
    return window;
}

Accessible ScreenReaderTest::topLevel(AtspiRole role, std::string_view name) {
    Accessible found;
    waitFor([&] {
        for (Accessible& object : topLevelsOf(program_)) {
            if (object.role() == role && object.name() == name && object.has(ATSPI_STATE_SHOWING)) {
                found = object;
                return true;
            }
        }
        return false;
    });
    return found;
}

bool ScreenReaderTest::waitFor(const std::function<bool()>& condition) {
    for (int round = 0; round < 200; ++round) {
        if (condition()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
}

}  // namespace zorvik::testing
