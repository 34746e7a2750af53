#pragma once

#include <atspi/atspi.h>
#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

// The program as a screen reader meets it: over AT-SPI, from another process, on the
// accessibility bus of the session. Nothing is cached: each question goes to the program.
namespace zorvik::testing {

class Accessible {
public:
    Accessible() = default;
    // Takes over the reference the caller holds.
    explicit Accessible(AtspiAccessible* object) : object_(object) {}
    Accessible(const Accessible& other);
    Accessible& operator=(Accessible other);
    ~Accessible();

    explicit operator bool() const { return object_ != nullptr; }

    AtspiRole role() const;
    std::string name() const;
    std::string description() const;
    bool has(AtspiStateType state) const;
    int childCount() const;
    Accessible child(int index) const;
    Accessible parent() const;
    pid_t processId() const;
    // The text of a text box or label; "" for an object without text.
    std::string text() const;
    // Carries out one of the object's actions by its name ("Press"), as a screen reader's
    // command does. False when it has no such action.
    bool act(std::string_view action) const;

    // The object and everything below it, parents before their children.
    std::vector<Accessible> subtree() const;
    // The first object of the subtree with this role (and this name, unless it is empty).
    Accessible find(AtspiRole role, std::string_view name = {}) const;

private:
    AtspiAccessible* object_ = nullptr;
};

// The object that last took the keyboard's focus, as the program announced it on the bus: what
// a screen reader speaks as the user moves (menus included, which hang in no window's tree).
class FocusWatch {
public:
    FocusWatch();
    FocusWatch(const FocusWatch&) = delete;
    FocusWatch& operator=(const FocusWatch&) = delete;
    ~FocusWatch();

    // Takes in the news that has come, then answers.
    Accessible focused();

private:
    static void onFocus(AtspiEvent* event, void* self);

    AtspiEventListener* listener_ = nullptr;
    Accessible focused_;
};

// Starts the client side; false when the accessibility bus cannot be reached.
bool connectScreenReader();
void disconnectScreenReader();

// The program's top-level objects (its window, its boxes and menus), by its process id.
std::vector<Accessible> topLevelsOf(pid_t program);

}  // namespace zorvik::testing
