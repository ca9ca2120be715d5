#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "forms/host.h"

namespace plivora {

// A host without a window system. Time stands still until a test advances the virtual clock;
// timers then fire in order of their due times. The screen, the cursor, the platform and the
// drives are whatever the test sets; the clipboard lives in memory; beeps and window calls are
// counted and recorded; DoEvents delivers queued user actions.
class HeadlessHost : public Host {
public:
    HeadlessHost();

    // Screen.
    float twipsPerPixelX() const override { return m_twipsPerPixel; }
    float twipsPerPixelY() const override { return m_twipsPerPixel; }
    void setTwipsPerPixel(float twips) { m_twipsPerPixel = twips; }
    PixelRect screenRect() const override { return m_screen; }
    PixelRect workArea() const override { return m_workArea; }
    void setScreen(const PixelRect& screen, const PixelRect& workArea);
    std::vector<PixelRect> workAreas() const override;
    // Screens beside the primary one, by their work areas.
    void setOtherWorkAreas(std::vector<PixelRect> areas) { m_otherWorkAreas = std::move(areas); }
    FrameMetrics frameMetrics(const Form& form) const override;
    int platformId() const override { return m_platformId; }
    void setPlatformId(int id) { m_platformId = id; }

    // Pointer.
    PixelPoint cursorPos() const override { return m_cursor; }
    void setCursorPos(PixelPoint point) { m_cursor = point; }
    void setCapture(Control* control) override { m_capture = control; }
    void releaseCapture() override { m_capture = nullptr; }
    Control* capture() const override { return m_capture; }
    void setProgramCursor(const Picture* cursor) override { m_customCursor = cursor != nullptr; }
    bool hasCustomCursor() const { return m_customCursor; }
    // Every pointer shape a control set, in order; the last one is in force.
    void setMousePointer(int mousePointer) override { m_mousePointers.push_back(mousePointer); }
    const std::vector<int>& mousePointers() const { return m_mousePointers; }

    // Time and events.
    void timerChanged(TimerControl& timer) override;
    void timerDestroyed(TimerControl& timer) override;
    // Moves the virtual clock forward, firing every timer that falls due on the way.
    void advance(std::int64_t ms);
    std::int64_t now() const { return m_now; }
    void doEvents() override;
    int doEventsCalls() const { return m_doEventsCalls; }
    // The deepest DoEvents ran inside other DoEvents calls (1 when none ever nested).
    int deepestDoEvents() const { return m_deepestDoEvents; }
    // Everything runs in turn unless a test or benchmark lets work run on other threads as the
    // Qt host does (decoding a page's next pictures, browsing ahead).
    bool allowsBackgroundWork() const override { return m_backgroundWork; }
    void setBackgroundWork(bool allowed) { m_backgroundWork = allowed; }
    // Delivers the queued actions as DoEvents does; with background work on and no action
    // queued, first waits until a job's thread calls wake().
    void waitForEvents() override;
    void wake() override;
    // Queues a user action for the next DoEvents.
    void postAction(std::function<void()> action) { m_actions.push_back(std::move(action)); }
    void beep() override { ++m_beeps; }
    int beeps() const { return m_beeps; }
    void quit() override { m_quit = true; }
    bool quitRequested() const { return m_quit; }

    // Pop-up menus: the next one opened chooses the item of that name ("" chooses nothing).
    void popupMenu(Menu& menu, PixelPoint at, unsigned flags) override;
    void setMenuChoice(const std::string& itemName) { m_menuChoice = itemName; }
    struct Popup {
        std::string menu;
        PixelPoint at;
        unsigned flags = 0;
    };
    const std::vector<Popup>& popups() const { return m_popups; }

    // Clipboard.
    void clearClipboard() override;
    void setClipboardText(const std::string& text) override { m_clipboardText = text; }
    std::string clipboardText() const override { return m_clipboardText; }
    void setClipboardData(int format, const std::vector<std::uint8_t>& bytes) override;
    const std::map<int, std::vector<std::uint8_t>>& clipboardData() const {
        return m_clipboardData;
    }

    // File systems: the root alone unless a test sets its own, so that no test depends on what
    // the machine it runs on has mounted.
    std::vector<Drive> drives() const override;
    void setDrives(std::vector<Drive> drives) { m_drives = std::move(drives); }

    // Views.
    void formCreated(Form& form) override;
    void formDestroyed(Form& form) override;
    const std::vector<Form*>& liveForms() const { return m_forms; }
    void windowCall(const std::string& description) override {
        m_windowCalls.push_back(description);
    }
    const std::vector<std::string>& windowCalls() const { return m_windowCalls; }
    void clearWindowCalls() { m_windowCalls.clear(); }

    // Handler failures are recorded, not shown: a test that expects one looks at it and clears
    // the record; the fixtures check that no other handler failed.
    struct HandlerFailure {
        std::string control;
        int number = 0;
        std::string description;
    };
    void handlerFailed(const Control& control, const Error& error) override;
    const std::vector<HandlerFailure>& handlerFailures() const { return m_handlerFailures; }
    void clearHandlerFailures() { m_handlerFailures.clear(); }

private:
    struct Scheduled {
        std::int64_t due = 0;
        std::uint64_t order = 0;  // ties fire in the order the timers were started
    };

    float m_twipsPerPixel = 15.0f;
    PixelRect m_screen{0, 0, 1920, 1080};
    PixelRect m_workArea{0, 0, 1920, 1040};
    std::vector<PixelRect> m_otherWorkAreas;
    int m_platformId = 2;
    PixelPoint m_cursor{};
    Control* m_capture = nullptr;
    bool m_customCursor = false;
    std::vector<int> m_mousePointers;
    std::map<TimerControl*, Scheduled> m_timers;
    std::uint64_t m_timerOrder = 0;
    std::int64_t m_now = 0;
    std::deque<std::function<void()>> m_actions;
    int m_doEventsCalls = 0;
    int m_doEventsDepth = 0;
    int m_deepestDoEvents = 0;
    bool m_backgroundWork = false;
    std::mutex m_wakeMutex;
    std::condition_variable m_wakeChanged;
    bool m_woken = false;  // a wake() not yet consumed by a wait
    int m_beeps = 0;
    bool m_quit = false;
    std::string m_menuChoice;
    std::vector<Popup> m_popups;
    std::string m_clipboardText;
    std::map<int, std::vector<std::uint8_t>> m_clipboardData;
    std::vector<Drive> m_drives{{"/", "/"}};
    std::vector<Form*> m_forms;
    std::vector<std::string> m_windowCalls;
    std::vector<HandlerFailure> m_handlerFailures;
};

}  // namespace plivora
