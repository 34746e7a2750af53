#include "tests/accessibility/screen_reader.h"

#include <utility>

// No question asks for its error: one the program could not answer reads as no answer, and the
// tests say what was missing.
namespace zorvik::testing {

namespace {

// Parents before their children, as a screen reader's review goes through a window.
void collect(const Accessible& object, std::vector<Accessible>& found) {
    found.push_back(object);
    for (int i = 0; i < object.childCount(); ++i) {
        if (Accessible child = object.child(i)) {
            collect(child, found);
        }
    }
}

std::string taken(gchar* text) {
    std::string out = text != nullptr ? text : "";
    g_free(text);
    return out;
}

}  // namespace

Accessible::Accessible(const Accessible& other) : object_(other.object_) {
    if (object_ != nullptr) {
        g_object_ref(object_);
    }
}

Accessible& Accessible::operator=(Accessible other) {
    std::swap(object_, other.object_);
    return *this;
}

Accessible::~Accessible() {
    if (object_ != nullptr) {
        g_object_unref(object_);
    }
}

AtspiRole Accessible::role() const {
    return object_ != nullptr ? atspi_accessible_get_role(object_, nullptr) : ATSPI_ROLE_INVALID;
}

std::string Accessible::name() const {
    return object_ != nullptr ? taken(atspi_accessible_get_name(object_, nullptr)) : "";
}

std::string Accessible::description() const {
    return object_ != nullptr ? taken(atspi_accessible_get_description(object_, nullptr)) : "";
}

bool Accessible::has(AtspiStateType state) const {
    if (object_ == nullptr) {
        return false;
    }
    AtspiStateSet* states = atspi_accessible_get_state_set(object_);
    const bool present = states != nullptr && atspi_state_set_contains(states, state) != FALSE;
    if (states != nullptr) {
        g_object_unref(states);
    }
    return present;
}

int Accessible::childCount() const {
    return object_ != nullptr ? atspi_accessible_get_child_count(object_, nullptr) : 0;
}

Accessible Accessible::child(int index) const {
    return Accessible(object_ != nullptr
                          ? atspi_accessible_get_child_at_index(object_, index, nullptr)
                          : nullptr);
}

Accessible Accessible::parent() const {
    return Accessible(object_ != nullptr ? atspi_accessible_get_parent(object_, nullptr) : nullptr);
}

pid_t Accessible::processId() const {
    return object_ != nullptr
               ? static_cast<pid_t>(atspi_accessible_get_process_id(object_, nullptr))
               : 0;
}

std::string Accessible::text() const {
    AtspiText* text = object_ != nullptr ? atspi_accessible_get_text_iface(object_) : nullptr;
    if (text == nullptr) {
        return {};
    }
    const gint length = atspi_text_get_character_count(text, nullptr);
    std::string out = taken(atspi_text_get_text(text, 0, length, nullptr));
    g_object_unref(text);
    return out;
}

bool Accessible::act(std::string_view action) const {
    AtspiAction* actions =
        object_ != nullptr ? atspi_accessible_get_action_iface(object_) : nullptr;
    if (actions == nullptr) {
        return false;
    }
    bool done = false;
    const gint count = atspi_action_get_n_actions(actions, nullptr);
    for (gint i = 0; i < count && !done; ++i) {
        if (taken(atspi_action_get_action_name(actions, i, nullptr)) == action) {
            done = atspi_action_do_action(actions, i, nullptr) != FALSE;
        }
    }
    g_object_unref(actions);
    return done;
}

std::vector<Accessible> Accessible::subtree() const {
    std::vector<Accessible> found;
    if (object_ != nullptr) {
        collect(*this, found);
    }
    return found;
}

Accessible Accessible::find(AtspiRole role, std::string_view name) const {
    for (Accessible& object : subtree()) {
        if (object.role() == role && (name.empty() || object.name() == name)) {
            return object;
        }
    }
    return {};
}

FocusWatch::FocusWatch() {
    listener_ = atspi_event_listener_new(onFocus, this, nullptr);
    atspi_event_listener_register(listener_, "object:state-changed:focused", nullptr);
}

FocusWatch::~FocusWatch() {
    atspi_event_listener_deregister(listener_, "object:state-changed:focused", nullptr);
    g_object_unref(listener_);
}

void FocusWatch::onFocus(AtspiEvent* event, void* self) {
    if (event->detail1 != 0) {  // gained, not lost
        // the event's reference is its own: the watch takes one for itself
        static_cast<FocusWatch*>(self)->focused_ =
            Accessible(static_cast<AtspiAccessible*>(g_object_ref(event->source)));
    }
    g_boxed_free(ATSPI_TYPE_EVENT, event);
}

Accessible FocusWatch::focused() {
    while (g_main_context_iteration(nullptr, FALSE) != FALSE) {
    }
    return focused_;
}

bool connectScreenReader() {
    // 0: started, 1: already started
    if (atspi_init() > 1) {
        return false;
    }
    AtspiAccessible* desktop = atspi_get_desktop(0);
    if (desktop == nullptr) {
        return false;
    }
    // every question answered by the program as it is now, never from a copy kept here
    atspi_accessible_set_cache_mask(desktop, ATSPI_CACHE_NONE);
    g_object_unref(desktop);
    return true;
}

void disconnectScreenReader() {
    atspi_exit();
}

std::vector<Accessible> topLevelsOf(pid_t program) {
    std::vector<Accessible> topLevels;
    const Accessible desktop(atspi_get_desktop(0));
    for (int i = 0; i < desktop.childCount(); ++i) {
        const Accessible application = desktop.child(i);
        if (application.processId() != program) {
            continue;
        }
        for (int j = 0; j < application.childCount(); ++j) {
            if (Accessible topLevel = application.child(j)) {
                topLevels.push_back(std::move(topLevel));
            }
        }
    }
    return topLevels;
}

}  // namespace zorvik::testing
