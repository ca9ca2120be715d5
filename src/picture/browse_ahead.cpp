#include "picture/browse_ahead.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <new>
#include <utility>

#include "win/error.h"

namespace plivora {

BrowseAhead::BrowseAhead(Loader loader) : m_loader(std::move(loader)) {}

BrowseAhead::~BrowseAhead() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void BrowseAhead::plan(std::vector<std::string> paths) {
    {
        std::lock_guard lock(m_mutex);
        m_planned.assign(std::make_move_iterator(paths.begin()),
                         std::make_move_iterator(paths.end()));
        if (!m_thread.joinable() && !m_planned.empty()) {
            m_thread = std::thread([this] { work(); });
        }
    }
    m_changed.notify_all();
}

std::optional<Picture> BrowseAhead::take(const std::string& path) {
    const std::optional<FileStamp> now = fileStamp(path);
    std::lock_guard lock(m_mutex);
    const auto held =
        std::find_if(m_held.begin(), m_held.end(), [&](const Held& h) { return h.path == path; });
    if (held == m_held.end()) {
        return std::nullopt;
    }
    std::optional<Picture> picture;
    if (now == held->stamp) {
        picture = std::move(held->picture);
        ++m_hits;
    }
    drop(held);
    return picture;
}

void BrowseAhead::clear() {
    std::lock_guard lock(m_mutex);
    m_planned.clear();
    m_held.clear();
    m_heldBytes = 0;
    ++m_generation;
}

void BrowseAhead::waitUntilIdle() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_planned.empty() && !m_busy; });
}

int BrowseAhead::hits() const {
    std::lock_guard lock(m_mutex);
    return m_hits;
}

std::size_t BrowseAhead::heldBytes() const {
    std::lock_guard lock(m_mutex);
    return m_heldBytes;
}

std::list<BrowseAhead::Held>::iterator BrowseAhead::drop(std::list<Held>::iterator held) {
    m_heldBytes -= held->bytes;
    return m_held.erase(held);
}

bool BrowseAhead::isHeldUnchanged(const std::string& path) const {
    const auto held =
        std::find_if(m_held.begin(), m_held.end(), [&](const Held& h) { return h.path == path; });
    return held != m_held.end() && fileStamp(path) == held->stamp;
}

void BrowseAhead::work() {
    // The window's thread decodes what the user asked for; this thread only uses what is left
    // over. Raising a thread's niceness needs no privilege; should it fail all the same, the
    // pictures are still decoded, only without yielding to the rest.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);

    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [&] { return m_stop || !m_planned.empty(); });
        if (m_stop) {
            return;
        }
        const std::string path = std::move(m_planned.front());
        m_planned.pop_front();
        if (isHeldUnchanged(path)) {
            m_changed.notify_all();
            continue;
        }
        const int generation = m_generation;
        m_busy = true;
        lock.unlock();

        // A file that fails to load is left to the caller, who loads it again and reports why.
        const std::optional<FileStamp> before = fileStamp(path);
        std::optional<Picture> picture;
        try {
            picture = m_loader(path);
        } catch (const Error&) {
        } catch (const std::bad_alloc&) {
        }
        const bool unchanged = before && fileStamp(path) == before;

        lock.lock();
        m_busy = false;
        // A held picture is never drawn, so what it holds stays what it held when decoded.
        const std::size_t bytes = picture ? picture->heldBytes() : 0;
        if (picture && unchanged && generation == m_generation && bytes <= kMostHeldBytes) {
            for (auto held = m_held.begin(); held != m_held.end();) {
                held = held->path == path ? drop(held) : std::next(held);
            }
            m_held.push_front(Held{path, *before, std::move(*picture), bytes});
            m_heldBytes += bytes;
            while (m_held.size() > kMostHeld || m_heldBytes > kMostHeldBytes) {
                drop(std::prev(m_held.end()));
            }
        }
        m_changed.notify_all();
    }
}

}  // namespace plivora
