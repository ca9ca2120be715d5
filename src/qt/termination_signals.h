#pragma once

#include <functional>
#include <memory>

#include <QObject>

class QSocketNotifier;

namespace plivora {

// Turns SIGTERM, SIGHUP and SIGINT into a call on the event loop, so that a session's logout, a
// closed terminal or Ctrl+C ends the program the way its close button does (the window's place is
// stored, a load under way finishes and removes its files) instead of killing it in mid-step. The
// first signal asks politely; from then on the signals have their default effect again, so a
// second one ends a program that does not answer.
class TerminationSignals : public QObject {
public:
    explicit TerminationSignals(std::function<void()> endPolitely);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    void received();

    std::function<void()> m_endPolitely;
    std::unique_ptr<QSocketNotifier> m_notifier;
};

}  // namespace plivora
