#include "forms/background_jobs.h"

#include <mutex>
#include <thread>

#include "forms/host.h"

namespace plivora {

struct BackgroundJobs::Job {
    std::mutex mutex;
    bool ended = false;  // the work returned; written by the job's thread
    std::thread thread;

    bool hasEnded() {
        const std::lock_guard<std::mutex> lock(mutex);
        return ended;
    }
};

BackgroundJobs::BackgroundJobs(Host& host) : m_host(host) {}

BackgroundJobs::~BackgroundJobs() {
    for (const std::shared_ptr<Job>& job : m_abandoned) {
        job->thread.join();
    }
}

bool BackgroundJobs::runAnswering(std::function<void()> work,
                                  const std::function<bool()>& abandoned) {
    joinEndedJobs();
    if (!m_host.allowsBackgroundWork()) {
        m_host.doEvents();
        if (abandoned && abandoned()) {
            return false;
        }
        work();
        return true;
    }

    // Abandoned jobs still hold their memory and a core. A new one waits, running events, while
    // too many of them run, so that a held arrow key does not pile up decodes; a choice that is
    // superseded meanwhile never starts its own.
    while (m_abandoned.size() >= kMostAbandonedRunning) {
        m_host.waitForEvents();
        if (abandoned && abandoned()) {
            return false;
        }
        joinEndedJobs();
    }

    auto job = std::make_shared<Job>();
    Host& host = m_host;
    job->thread = std::thread([job = job.get(), work = std::move(work), &host] {
        work();
        {
            const std::lock_guard<std::mutex> lock(job->mutex);
            job->ended = true;
        }
        host.wake();
    });
    // However the wait ends before the work does (abandoned, or the program ending while events
    // ran), the thread is kept until it ends: it is joined later, never waited for now.
    struct Keep {
        BackgroundJobs& jobs;
        std::shared_ptr<Job> job;
        bool done = false;
        ~Keep() {
            if (!done) {
                jobs.m_abandoned.push_back(std::move(job));
            }
        }
    } keep{*this, job};
    while (true) {
        m_host.waitForEvents();
        if (abandoned && abandoned()) {
            return false;
        }
        if (job->hasEnded()) {
            job->thread.join();
            keep.done = true;
            return true;
        }
    }
}

void BackgroundJobs::joinEndedJobs() {
    for (auto it = m_abandoned.begin(); it != m_abandoned.end();) {
        if ((*it)->hasEnded()) {
            (*it)->thread.join();
            it = m_abandoned.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace plivora
