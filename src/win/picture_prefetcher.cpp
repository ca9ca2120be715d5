#include "win/picture_prefetcher.h"

#include <new>

namespace plivora {

PicturePrefetcher::PicturePrefetcher(std::vector<std::string> paths, bool background, Loader loader,
                                     std::size_t lookahead)
    : m_paths(std::move(paths)),
      m_loader(std::move(loader)),
      m_lookahead(lookahead == 0 ? 1 : lookahead),
      m_results(m_paths.size()) {
    if (background && !m_paths.empty()) {
        m_thread = std::thread([this] { work(); });
    }
}

PicturePrefetcher::~PicturePrefetcher() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    if (m_thread.joinable()) {
        m_thread.join();
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

void PicturePrefetcher::work() {
    for (std::size_t index = 0; index < m_paths.size(); ++index) {
        {
            std::unique_lock lock(m_mutex);
            // Stay at most `lookahead` pictures ahead of the caller, so memory stays bounded.
            m_changed.wait(lock, [&] { return m_stop || index < m_taken + m_lookahead; });
            if (m_stop) {
                return;
            }
        }
        Result result;
        loadInto(m_loader, m_paths[index], result);
        {
            std::lock_guard lock(m_mutex);
            if (m_stop) {
                return;
            }
            result.done = true;
            m_results[index] = std::move(result);
        }
        m_changed.notify_all();
    }
}

Picture PicturePrefetcher::take(std::size_t index, const std::string& path) {
    Result result;
    const bool planned = index < m_paths.size() && m_paths[index] == path;
    if (planned && m_thread.joinable()) {
        std::unique_lock lock(m_mutex);
        m_taken = index + 1;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_results[index].done; });
        result = std::move(m_results[index]);
        m_results[index] = Result{};
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

}  // namespace plivora
