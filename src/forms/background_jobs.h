#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <utility>

namespace plivora {

class Host;

// Work that the window's thread hands to a thread of its own so that the windows go on answering
// until it is done: decoding a chosen picture, or one frame of a GIF. The window's thread runs
// events while it waits, and after every round of events asks whether the work is still wanted; a
// newer choice of the user's abandons it there, without waiting for it. An abandoned job runs on
// to its end on its own thread and its result is dropped.
//
// On a host that allows no background work (the headless host, unless a test turns it on) the
// work runs in turn on the caller's thread, after one round of events and the same question, so
// tests reach the same checkpoint deterministically.
class BackgroundJobs {
public:
    // The most abandoned jobs that may still run when a new one starts.
    static constexpr std::size_t kMostAbandonedRunning = 2;

    explicit BackgroundJobs(Host& host);
    // Waits for the threads of abandoned jobs still running.
    ~BackgroundJobs();
    BackgroundJobs(const BackgroundJobs&) = delete;
    BackgroundJobs& operator=(const BackgroundJobs&) = delete;

    // Runs `work` and gives its result, rethrowing whatever it threw. Nothing when `abandoned`
    // answered true after events ran. `work` runs on another thread, so it holds no reference into
    // the caller's state.
    template <typename T>
    std::optional<T> run(std::function<T()> work, const std::function<bool()>& abandoned) {
        auto outcome = std::make_shared<Outcome<T>>();
        const bool finished = runAnswering(
            [work = std::move(work), outcome] {
                try {
                    outcome->value = work();
                } catch (...) {
                    outcome->failure = std::current_exception();
                }
            },
            abandoned);
        if (!finished) {
            return std::nullopt;
        }
        if (outcome->failure) {
            std::rethrow_exception(outcome->failure);
        }
        return std::move(outcome->value);
    }

private:
    template <typename T>
    struct Outcome {
        std::optional<T> value;
        std::exception_ptr failure;
    };
    struct Job;

    // Runs the work to its end and answers true, or answers false once `abandoned` says so.
    bool runAnswering(std::function<void()> work, const std::function<bool()>& abandoned);
    // Joins the abandoned jobs whose threads have ended.
    void joinEndedJobs();

    Host& m_host;
    std::list<std::shared_ptr<Job>> m_abandoned;
};

}  // namespace plivora
