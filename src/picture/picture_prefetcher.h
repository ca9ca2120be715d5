#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "picture/picture.h"
#include "win/error.h"

namespace plivora {

// Loads a run of pictures with threads of its own that work from the caller's next picture to a
// few pictures ahead of it. The caller takes the pictures in order on its own thread; a picture
// that failed to load gives the loader's Error when taken. Each picture is decoded once. A
// caller that must stay free (a window's thread) waits for its next picture with waitFor and
// does its own work in between; one that calls take at once decodes too when it asks for a
// picture nobody started (or, while a thread is busy with the one it wants, a later one), so
// that it and the threads share the run. Without threads (background false) each picture is
// loaded when taken. Destroying the prefetcher stops the threads after the pictures they are
// decoding.
class PicturePrefetcher {
public:
    using Loader = std::function<Picture(const std::string& path)>;

    PicturePrefetcher(std::vector<std::string> paths, bool background, Loader loader,
                      std::size_t lookahead = 3, std::size_t threads = 1);
    ~PicturePrefetcher();
    PicturePrefetcher(const PicturePrefetcher&) = delete;
    PicturePrefetcher& operator=(const PicturePrefetcher&) = delete;

    // The picture of entry `index` of the run, which must be `path`; a path that differs from the
    // planned one (the list changed meanwhile) is loaded now. Throws the loader's Error.
    Picture take(std::size_t index, const std::string& path);

    // Waits at most `most` for the picture of entry `index` to be decoded by a thread, and says
    // whether take(index, ...) now returns without decoding on the caller's thread. Without
    // threads, or past the planned run, it says so at once: take loads the picture itself.
    bool waitFor(std::size_t index, std::chrono::milliseconds most);

private:
    struct Result {
        std::optional<Picture> picture;
        std::optional<Error> error;
        bool claimed = false;
        bool done = false;
    };
    std::size_t unclaimedFrom(std::size_t first) const;
    void decodeClaimed(std::unique_lock<std::mutex>& lock, std::size_t index);

    void work();
    static void loadInto(const Loader& loader, const std::string& path, Result& result);

    std::vector<std::string> m_paths;
    Loader m_loader;
    std::size_t m_lookahead;
    std::vector<Result> m_results;
    std::size_t m_taken = 0;  // the entry the caller takes next
    bool m_stop = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::thread> m_threads;
};

}  // namespace plivora
