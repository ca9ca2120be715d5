#pragma once

#include <optional>
#include <utility>

#include "win/error.h"

namespace plivora {

// Runs the steps of a handler that skips failing steps: a step that throws Error is abandoned,
// the error is kept, and the handler goes on with its next step. The handler looks at the kept
// error at its checkpoints and clears it when it has dealt with it. Only Error is caught; any
// other exception is a fault and goes on up.
class ErrorState {
public:
    template <typename Step>
    void run(Step&& step) {
        try {
            std::forward<Step>(step)();
        } catch (const Error& error) {
            m_error = error;
        }
    }

    bool hasError() const { return m_error.has_value(); }
    // The last error kept; only valid while hasError().
    const Error& error() const { return *m_error; }
    int number() const { return m_error ? m_error->number() : 0; }
    void clear() { m_error.reset(); }

private:
    std::optional<Error> m_error;
};

}  // namespace plivora
