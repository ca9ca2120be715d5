#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "win/error.h"
#include "win/picture.h"

namespace plivora {

// Loads a run of pictures with two decoders: a thread of its own works a few pictures ahead of
// the caller, and the caller decodes too when it asks for a picture nobody started (or, while the
// thread is busy with the one it wants, a later one), so both cores decode. The caller takes the
// pictures in order on its own thread; a picture that failed to load gives the loader's Error
// when taken. Each picture is decoded once. Without a thread (background false) each picture is
// loaded when taken. Destroying the prefetcher stops the thread after the picture it is decoding.
class PicturePrefetcher {
public:
    using Loader = std::function<Picture(const std::string& path)>;

    PicturePrefetcher(std::vector<std::string> paths, bool background, Loader loader,
                      std::size_t lookahead = 3);
    ~PicturePrefetcher();
    PicturePrefetcher(const PicturePrefetcher&) = delete;
    PicturePrefetcher& operator=(const PicturePrefetcher&) = delete;

    // The picture of entry `index` of the run, which must be `path`; a path that differs from the
    // planned one (the list changed meanwhile) is loaded now. Throws the loader's Error.
    Picture take(std::size_t index, const std::string& path);

private:
    struct Result {
        std::optional<Picture> picture;
        std::optional<Error> error;
        bool claimed = false;
        bool done = false;
    };
    std::size_t unclaimedAfter(std::size_t after) const;
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
    std::thread m_thread;
};

}  // namespace plivora
