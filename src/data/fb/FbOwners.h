#pragma once

// One owner per lifetime of the OO API: reference-counted interfaces are
// released, disposable ones disposed. The owners need only a declaration of the
// interface they hold; the call itself is compiled where the owner lets go,
// inside the wrapper's .cpp files, so headers can hold an owner without the
// client's API.
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

// For the calls that end the object and release the interface themselves
// (commit, rollback, detach, drop, close, free): the owner lets go of the
// pointer without releasing it a second time. When such a call fails the
// interface is still held, and its owner releases it as usual.
template <typename T>
void Forget(TRef<T>& AOwner) noexcept
{
    static_cast<void>(AOwner.release());
}

}  // namespace qorita::fb
