// How long loading the sound module takes in a fresh process that has what the program has
// loaded by then (Qt), printed in seconds: the work that the first paint leaves to a thread of
// its own, and that a click made before it finished waits for.
#include <dlfcn.h>

#include <QApplication>
#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const auto start = std::chrono::steady_clock::now();
    if (::dlopen(ZORVIK_SOUND_MODULE, RTLD_NOW | RTLD_LOCAL) == nullptr) {
        return 1;
    }
    std::printf("%.9f\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    return 0;
}
