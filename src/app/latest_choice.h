#pragma once

#include <functional>

namespace plivora {

// Runs the user's choices of what to show one at a time. Showing a picture lets events run (while
// the picture decodes and while the animation control loads its frames), so the next key press or
// click can arrive while the previous choice is still on its way to the screen. Such a choice is
// not started inside the running one: it is kept (a newer one replaces it), the running one stops
// at its next check of superseded() (the decode or load under way is abandoned there), and the
// kept choice runs as soon as the running one returns. Handlers therefore never nest more
// than one level, and the last choice is the one that ends up on show.
class LatestChoice {
public:
    // Runs the choice now, or keeps it for when the running one returns.
    void run(std::function<void()> choice);
    // Whether a newer choice is waiting; the running choice stops showing its own file then.
    bool superseded() const { return static_cast<bool>(m_waiting); }
    bool isRunning() const { return m_running; }

private:
    bool m_running = false;
    std::function<void()> m_waiting;
};

}  // namespace plivora
