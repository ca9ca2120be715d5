#include "app/latest_choice.h"

#include <utility>

namespace plivora {

void LatestChoice::run(std::function<void()> choice) {
    if (m_running) {
        m_waiting = std::move(choice);
        return;
    }
    m_running = true;
    // The flag goes down however the choice ends, so an error that leaves a handler does not
    // turn every later choice into a waiting one.
    struct Finish {
        LatestChoice& self;
        ~Finish() {
            self.m_running = false;
            self.m_waiting = nullptr;
        }
    } finish{*this};
    while (choice) {
        choice();
        choice = std::exchange(m_waiting, nullptr);
    }
}

}  // namespace plivora
