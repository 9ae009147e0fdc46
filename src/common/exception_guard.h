// The boundary between C++ and its callers: no exception may leave a COM method, a window, dialog or page
// procedure or a thread's entry (the shell would crash, or unwind through frames that know nothing of
// C++). Each such entry point runs its body through one of these guards, which turn an escaping exception
// into the one answer: E_OUTOFMEMORY for std::bad_alloc, E_UNEXPECTED (or the caller's "no") otherwise.
#pragma once

#include <windows.h>

#include <new>
#include <utility>

namespace ferrow {

// The result of `body()`; E_OUTOFMEMORY when it throws std::bad_alloc (a string or container that could
// not grow), E_UNEXPECTED for any other exception.
template <class Body>
HRESULT GuardedCall(Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// The result of `body()`, or `fallback` when it throws. For shell answers where "no" is the only safe
// failure (an overlay membership, a column without data) and for window procedures.
template <class Result, class Body>
Result GuardedAnswer(Result fallback, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return fallback;
    }
}

// A dialog procedure's answer: the result of `body()`; when it throws, a modal dialog ends as IDCANCEL
// (the message counts as handled) and a page or child dialog stays as it is (not handled).
template <class Body>
INT_PTR GuardedDialogCall(HWND dialog, bool endOnException, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        if (!endOnException) return FALSE;
        ::EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
}

}  // namespace ferrow
