#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "picture/picture.h"
#include "win/file_system.h"

namespace plivora {

// Decodes the pictures the user is likely to show next on a thread of its own, at a lower
// priority than the window's thread, and holds the last few of them until they are asked for.
// A held picture is handed out only while its file has the length and modification time it had
// when it was decoded. Asking never waits for a decode: a picture that is not ready is decoded by
// the caller as if nothing had been planned, while the thread finishes its own in the background.
// What the files are and when to plan them is the caller's business.
class BrowseAhead {
public:
    using Loader = std::function<Picture(const std::string& path)>;

    // The most decoded pictures held at once, and the most bytes of pixels they may hold
    // together. A picture is decoded at the size it is shown (see LoadPicture), so a held one
    // takes a few MB at most; one that holds more than the whole budget is not kept.
    static constexpr std::size_t kMostHeld = 3;
    static constexpr std::size_t kMostHeldBytes = std::size_t{64} << 20;

    explicit BrowseAhead(Loader loader);
    // Stops the thread after the picture it is decoding.
    ~BrowseAhead();
    BrowseAhead(const BrowseAhead&) = delete;
    BrowseAhead& operator=(const BrowseAhead&) = delete;

    // Decodes these files next, in this order, instead of whatever was planned before. A file
    // already held is not decoded again while it is unchanged. Starts the thread on first use.
    void plan(std::vector<std::string> paths);
    // The held picture of the file, handed over when the file is unchanged since its decode;
    // nothing when it is not held, still being decoded, or changed (its picture is dropped).
    std::optional<Picture> take(const std::string& path);
    // Drops every plan and held picture (the folder changed); a decode under way is dropped when
    // it ends.
    void clear();

    // Waits until every planned file is decoded (or failed). For tests and benchmarks.
    void waitUntilIdle();
    // How many pictures take has handed out.
    int hits() const;
    // The bytes of pixels the held pictures hold.
    std::size_t heldBytes() const;

private:
    struct Held {
        std::string path;
        FileStamp stamp;
        Picture picture;
        std::size_t bytes = 0;
    };

    void work();
    bool isHeldUnchanged(const std::string& path) const;             // with the lock held
    std::list<Held>::iterator drop(std::list<Held>::iterator held);  // with the lock held

    Loader m_loader;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::string> m_planned;
    std::list<Held> m_held;  // most recently decoded first
    std::size_t m_heldBytes = 0;
    bool m_busy = false;   // the thread is decoding
    int m_generation = 0;  // counts clear calls, so a decode under way knows it is dropped
    int m_hits = 0;
    bool m_stop = false;
    std::thread m_thread;
};

}  // namespace plivora
