// The one exception guard of the host's services. A plug-in calls them through FAR's C tables, and
// its frames may be C code built by someone else, so no exception may unwind into it: every
// service runs its body through `guardedService`, which answers an exception with the value the
// service returns for a failure (FALSE, -1, a null handle...). That value is how FAR services
// report any failure, so the caller learns of it; a service without a result has no other channel.
#pragma once

#include <utility>

namespace skimmer::host {

template <class T, class Body>
T guardedService(T failure, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return failure;
    }
}

// For the services that return nothing: an exception leaves the screen or the buffer as it was.
template <class Body>
void guardedService(Body&& body) noexcept {
    try {
        std::forward<Body>(body)();
    } catch (...) {
    }
}

}  // namespace skimmer::host
