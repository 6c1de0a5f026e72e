#pragma once

// One owner per lifetime of the OO API: reference-counted interfaces are
// released, disposable ones disposed. Internal to the wrapper.
#include "data/fb/FbApi.h"

#include <memory>

namespace qorita::fb {

struct TReleaser {
    template <typename T>
    void operator()(T* AObject) const noexcept
    {
        if (AObject) AObject->release();
    }
};

struct TDisposer {
    template <typename T>
    void operator()(T* AObject) const noexcept
    {
        if (AObject) AObject->dispose();
    }
};

template <typename T>
using TRef = std::unique_ptr<T, TReleaser>;

template <typename T>
using TDisposable = std::unique_ptr<T, TDisposer>;

}  // namespace qorita::fb
