#include "wnd.h"

namespace {

// The windows bound to objects. Looked up on every message a bound window
// gets, so kept in the process: a window property costs a round trip to
// Wine's server on each lookup. Binding and lookup happen on the one UI
// thread; a window beyond the slots is not bound.
struct Binding {
    HWND window;
    CWnd* object;
};
constexpr int kMaxBindings = 32;
Binding g_bindings[kMaxBindings] = {};

Binding* FindBinding(HWND window) {
    for (Binding& binding : g_bindings) {
        if (binding.window == window) return &binding;
    }
    return nullptr;
}

}  // namespace

CWnd::~CWnd() {
    if (m_hWnd) UnsubclassWindow();
}

CWnd* CWnd::FromHandle(HWND window) {
    if (!window) return nullptr;
    const Binding* binding = FindBinding(window);
    return binding ? binding->object : nullptr;
}

BOOL CWnd::SubclassWindow(HWND window) {
    if (!window || m_hWnd || FromHandle(window) || !IsWindow(window)) return FALSE;
    Binding* free = FindBinding(nullptr);
    if (!free) return FALSE;
    *free = Binding{window, this};
    m_hWnd = window;
    PreSubclassWindow();
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::SubclassProc)));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, HWND dialog) {
    return SubclassWindow(GetDlgItem(dialog, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow() {
    HWND window = m_hWnd;
    if (!window) return nullptr;
    // Only put the old procedure back when nobody subclassed on top of us.
    if (m_pfnSuper && reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) ==
                          &CWnd::SubclassProc) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    }
    Unbind();
    return window;
}

void CWnd::Unbind() {
    if (m_hWnd) {
        Binding* binding = FindBinding(m_hWnd);
        if (binding && binding->object == this) *binding = Binding{};
    }
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
}

BOOL CWnd::DestroyWindow() {
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

LONG CWnd::GetStyle() const {
    return m_hWnd ? static_cast<LONG>(GetWindowLongPtrW(m_hWnd, GWL_STYLE)) : 0;
}

const MessageMap* CWnd::GetMessageMap() const { return nullptr; }

bool CWnd::DispatchToMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const MessageMapEntry* entry = FindMessageEntry(GetMessageMap(), message, wParam, lParam);
    if (!entry) return false;
    result = 0;
    return (this->*(entry->handler))(wParam, lParam, result);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (DispatchToMap(message, wParam, lParam, result)) return result;
    return Default();
}

LRESULT CWnd::Default() {
    if (!m_pfnSuper) return DefWindowProcW(m_hWnd, m_current.message, m_current.wParam,
                                           m_current.lParam);
    return CallWindowProcW(m_pfnSuper, m_hWnd, m_current.message, m_current.wParam,
                           m_current.lParam);
}

bool CWnd::ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam,
                          LRESULT& result) {
    CWnd* control = FromHandle(child);
    if (!control) return false;
    return control->DispatchToMap(WM_REFLECT_BASE + message, wParam, lParam, result);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* self = FromHandle(window);
    if (!self) return DefWindowProcW(window, message, wParam, lParam);

    const CurrentMessage saved = self->m_current;
    self->m_current = CurrentMessage{message, wParam, lParam};
    LRESULT result;
    if (message == WM_NCDESTROY) {
        // The window is gone after this: let the old procedure finish, then
        // free the object for another window.
        result = self->Default();
        self->Unbind();
    } else {
        result = self->WindowProc(message, wParam, lParam);
    }
    self->m_current = saved;
    return result;
}

std::wstring GetWindowTextString(HWND window) {
    if (!window) return std::wstring();
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}
