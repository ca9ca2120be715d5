#include "picture/picture_prefetcher.h"

#include <algorithm>
#include <new>

namespace plivora {

PicturePrefetcher::PicturePrefetcher(std::vector<std::string> paths, bool background, Loader loader,
                                     std::size_t lookahead, std::size_t threads)
    : m_paths(std::move(paths)),
      m_loader(std::move(loader)),
      m_lookahead(lookahead == 0 ? 1 : lookahead),
      m_results(m_paths.size()) {
    if (background && !m_paths.empty()) {
        for (std::size_t t = 0; t < std::max<std::size_t>(threads, 1); ++t) {
            m_threads.emplace_back([this] { work(); });
        }
    }
}

PicturePrefetcher::~PicturePrefetcher() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    for (std::thread& thread : m_threads) {
        thread.join();
    }
}

void PicturePrefetcher::loadInto(const Loader& loader, const std::string& path, Result& result) {
    try {
        result.picture = loader(path);
    } catch (const Error& error) {
        result.error = error;
    } catch (const std::bad_alloc&) {
        result.error = Error(ErrorNumber::OutOfMemory);
    }
}

// The lowest entry from `first` on, within the look-ahead of the caller, that nobody started.
std::size_t PicturePrefetcher::unclaimedFrom(std::size_t first) const {
    const std::size_t end = std::min(m_paths.size(), first + 1 + m_lookahead);
    for (std::size_t j = first; j < end; ++j) {
        if (!m_results[j].claimed) {
            return j;
        }
    }
    return m_paths.size();
}

void PicturePrefetcher::decodeClaimed(std::unique_lock<std::mutex>& lock, std::size_t index) {
    lock.unlock();
    Result result;
    loadInto(m_loader, m_paths[index], result);
    lock.lock();
    result.claimed = true;
    result.done = true;
    m_results[index] = std::move(result);
    m_changed.notify_all();
}

void PicturePrefetcher::work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        std::size_t index = m_paths.size();
        m_changed.wait(lock, [&] {
            index = unclaimedFrom(m_taken);
            return m_stop || index < m_paths.size() || m_taken >= m_paths.size();
        });
        if (m_stop || index >= m_paths.size()) {
            return;
        }
        m_results[index].claimed = true;
        decodeClaimed(lock, index);
        if (m_stop) {
            return;
        }
    }
}

Picture PicturePrefetcher::take(std::size_t index, const std::string& path) {
    Result result;
    const bool planned = index < m_paths.size() && m_paths[index] == path;
    if (planned && !m_threads.empty()) {
        std::unique_lock lock(m_mutex);
        m_taken = index;
        m_changed.notify_all();
        for (;;) {
            Result& wanted = m_results[index];
            if (wanted.done) {
                break;
            }
            if (!wanted.claimed) {
                wanted.claimed = true;
                decodeClaimed(lock, index);
                break;
            }
            // The worker is decoding this one: decode a later one meanwhile rather than wait.
            const std::size_t other = unclaimedFrom(index + 1);
            if (other < m_paths.size()) {
                m_results[other].claimed = true;
                decodeClaimed(lock, other);
            } else {
                m_changed.wait(lock, [&] { return m_results[index].done; });
            }
        }
        result = std::move(m_results[index]);
        m_results[index] = Result{};
        m_results[index].claimed = true;
        m_taken = index + 1;
        m_changed.notify_all();
    } else {
        if (index < m_paths.size()) {
            std::lock_guard lock(m_mutex);
            m_taken = index + 1;
        }
        m_changed.notify_all();
        loadInto(m_loader, path, result);
    }
    if (result.error) {
        throw *result.error;
    }
    return std::move(*result.picture);
}

bool PicturePrefetcher::waitFor(std::size_t index, std::chrono::milliseconds most) {
    if (m_threads.empty() || index >= m_paths.size()) {
        return true;
    }
    std::unique_lock lock(m_mutex);
    if (m_taken != index) {
        // The threads start from the entry the caller waits for.
        m_taken = index;
        m_changed.notify_all();
    }
    return m_changed.wait_for(lock, most, [&] { return m_results[index].done || m_stop; });
}

}  // namespace plivora
