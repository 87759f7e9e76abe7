// Windows tests only: the calling thread's COM apartment, as a test sets it up or observes it
// around the code under test. Header-only, so that no build file changes for it.
//
// Contract: MultithreadedApartment enters the multithreaded apartment for its lifetime and leaves
// it only when it entered; `threadIsFreeOfCom` tells whether the thread holds no COM
// initialisation (it enters and leaves once to find out, so the thread is as it was afterwards).
#pragma once

#include <objbase.h>

namespace skimmer::test {

class MultithreadedApartment {
public:
    MultithreadedApartment() : entered_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~MultithreadedApartment() {
        if (entered_) ::CoUninitialize();
    }
    MultithreadedApartment(const MultithreadedApartment&) = delete;
    MultithreadedApartment& operator=(const MultithreadedApartment&) = delete;
    bool entered() const { return entered_; }

private:
    bool entered_;
};

// S_OK means nobody had initialised COM here; S_FALSE or a changed-mode error means someone had.
inline bool threadIsFreeOfCom() {
    const HRESULT hr = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(hr)) ::CoUninitialize();
    return hr == S_OK;
}

}  // namespace skimmer::test
