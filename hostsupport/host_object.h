// The reference count of the host side's own COM objects (the window, site and data object that the shell
// host, the tests and the benchmark hand to the module). They are not objects of the module: they hold no
// module lock and are made with new, holding the creator's reference. Derived writes QueryInterface.
#pragma once

#include <windows.h>

namespace ferrow {

template <typename... Interfaces>
class HostObject : public Interfaces... {
public:
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG n = ::InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }

protected:
    HostObject() = default;
    virtual ~HostObject() = default;

private:
    LONG refs_ = 1;
};

}  // namespace ferrow
