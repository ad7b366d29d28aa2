// COM for the span of one shell-link operation, and interface pointers that
// release themselves.
#pragma once

#include <objbase.h>
#include <shlobj.h>

#include "shell_api.h"
#include "win_handles.h"

// Only a successful CoInitialize (S_OK or S_FALSE) is balanced: after
// RPC_E_CHANGED_MODE the thread already lives in another apartment, the work
// is still done there, and an extra CoUninitialize would tear down the
// caller's COM.
class ComScope {
public:
    ComScope() : m_hr(lazy::CoInitialize(nullptr)) {}
    ~ComScope() {
        if (SUCCEEDED(m_hr)) lazy::CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT m_hr;
};

namespace close_fn {
template <typename T>
bool Com(T* v) {
    v->Release();
    return true;
}
inline bool TaskMem(LPITEMIDLIST v) {
    lazy::CoTaskMemFree(v);
    return true;
}
}  // namespace close_fn

// One interface pointer, released when it goes out of scope.
template <typename T>
class ComRef : public UniqueHandle<NullHandleTraits<T*, close_fn::Com<T>>> {
public:
    using UniqueHandle<NullHandleTraits<T*, close_fn::Com<T>>>::UniqueHandle;
    T* operator->() const { return this->Get(); }
    void** PutVoid() { return reinterpret_cast<void**>(this->Put()); }
};

// An item-id list the shell allocated for us.
using ItemIdList = UniqueHandle<NullHandleTraits<LPITEMIDLIST, close_fn::TaskMem>>;
