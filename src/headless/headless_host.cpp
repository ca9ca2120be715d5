#include "headless/headless_host.h"

#include <algorithm>

#include "forms/form.h"
#include "forms/menu.h"
#include "forms/timer_control.h"
#include "win/error.h"

namespace plivora {

HeadlessHost::HeadlessHost() {
    // A light desktop scheme: the button face, window and window text a current desktop shows;
    // the other indexes keep the raster layer's classic scheme.
    SystemColors& colors = gdi().systemColors();
    colors.setColor(COLOR_BTNFACE, rgb(0xF0, 0xF0, 0xF0));
    colors.setColor(COLOR_WINDOWTEXT, rgb(0, 0, 0));
    colors.setColor(COLOR_WINDOW, rgb(0xFF, 0xFF, 0xFF));
}

void HeadlessHost::setScreen(const PixelRect& screen, const PixelRect& workArea) {
    m_screen = screen;
    m_workArea = workArea;
}

std::vector<PixelRect> HeadlessHost::workAreas() const {
    std::vector<PixelRect> areas{m_workArea};
    areas.insert(areas.end(), m_otherWorkAreas.begin(), m_otherWorkAreas.end());
    return areas;
}

FrameMetrics HeadlessHost::frameMetrics(const Form& form) const {
    // A designed window: 48-twip borders, and 336 twips of caption bar plus top border.
    switch (form.borderStyle()) {
        case BorderStyle::None:
            return {};
        case BorderStyle::FixedToolWindow:
            return {48, 288, 48, 48};
        default:
            return {48, 336, 48, 48};
    }
}

void HeadlessHost::timerChanged(TimerControl& timer) {
    if (timer.isRunning()) {
        m_timers[&timer] = Scheduled{m_now + timer.interval(), m_timerOrder++};
    } else {
        m_timers.erase(&timer);
    }
}

void HeadlessHost::timerDestroyed(TimerControl& timer) {
    m_timers.erase(&timer);
}

void HeadlessHost::advance(std::int64_t ms) {
    const std::int64_t target = m_now + ms;
    while (true) {
        auto next = m_timers.end();
        for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
            if (it->second.due <= target &&
                (next == m_timers.end() || it->second.due < next->second.due ||
                 (it->second.due == next->second.due && it->second.order < next->second.order))) {
                next = it;
            }
        }
        if (next == m_timers.end()) {
            break;
        }
        TimerControl* timer = next->first;
        m_now = next->second.due;
        next->second = Scheduled{m_now + timer->interval(), m_timerOrder++};
        timer->raiseTimer();  // may stop, restart or destroy timers
    }
    m_now = target;
}

void HeadlessHost::doEvents() {
    ++m_doEventsCalls;
    ++m_doEventsDepth;
    m_deepestDoEvents = std::max(m_deepestDoEvents, m_doEventsDepth);
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{m_doEventsDepth};
    // Only the actions queued before this call run now; actions they queue wait for the next one.
    std::deque<std::function<void()>> pending;
    pending.swap(m_actions);
    for (auto& action : pending) {
        action();
    }
}

void HeadlessHost::waitForEvents() {
    if (!m_backgroundWork || !m_actions.empty()) {
        doEvents();
        return;
    }
    {
        std::unique_lock<std::mutex> lock(m_wakeMutex);
        m_wakeChanged.wait(lock, [this] { return m_woken; });
        m_woken = false;
    }
    doEvents();
}

void HeadlessHost::wake() {
    {
        const std::lock_guard<std::mutex> lock(m_wakeMutex);
        m_woken = true;
    }
    m_wakeChanged.notify_all();
}

void HeadlessHost::popupMenu(Menu& menu, PixelPoint at, unsigned flags) {
    m_popups.push_back({menu.name(), at, flags});
    const std::string choice = m_menuChoice;
    m_menuChoice.clear();
    for (Menu* item : menu.items()) {
        if (item->name() == choice && item->isVisible() && item->isEnabled()) {
            item->raiseClick();
        }
    }
}

void HeadlessHost::clearClipboard() {
    m_clipboardText.clear();
    m_clipboardData.clear();
}

void HeadlessHost::setClipboardData(int format, const std::vector<std::uint8_t>& bytes) {
    m_clipboardData[format] = bytes;
}

std::vector<Drive> HeadlessHost::drives() const {
    return m_drives;
}

void HeadlessHost::handlerFailed(const Control& control, const Error& error) {
    m_handlerFailures.push_back({control.name(), error.number(), error.description()});
}

void HeadlessHost::formCreated(Form& form) {
    if (std::find(m_forms.begin(), m_forms.end(), &form) == m_forms.end()) {
        m_forms.push_back(&form);
    }
}

void HeadlessHost::formDestroyed(Form& form) {
    m_forms.erase(std::remove(m_forms.begin(), m_forms.end(), &form), m_forms.end());
    if (m_capture != nullptr && m_capture->form() == &form) {
        m_capture = nullptr;
    }
}

}  // namespace plivora
