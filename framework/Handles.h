#pragma once

// Who frees what: one rule for every handle of the program.
// - A window wrapper (CWnd and the control classes) never owns its HWND.
// - Pens, brushes, fonts and bitmaps the program creates are owned by the framework's GDI
//   classes (CPen, CBrush, CBitmap, framework/DC.h), which delete them in their destructor.
// - Everything else the program creates lives in one of the owning types below and is
//   released when that goes: kernel handles, icons and cursors loaded with LoadImage, menus,
//   memory device contexts.
// - A selection into a device context that must be undone is a ScopedSelect (what
//   CDC::SelectObject returns): it owns nothing and puts the displaced object back when it
//   ends, before the selected object itself is deleted.
// - Nothing is kept for an object someone else owns or deletes. Icons from LoadIcon are shared
//   by the system and never freed; the single-instance mutex and the system DLLs loaded at run
//   time (SystemLibrary.h) are left to the system at exit.
// Owning types convert to their handle for calls that only use it; they are not copyable.

#include <windows.h>

#include <utility>

namespace fw {

template <typename Traits> class UniqueResource {
public:
    using Handle = typename Traits::Handle;

    UniqueResource() = default;
    explicit UniqueResource(Handle handle) : m_handle(handle) {}
    ~UniqueResource() { Reset(); }

    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : m_handle(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }

    Handle Get() const { return m_handle; }
    operator Handle() const { return m_handle; }

    // The caller takes over the handle and must release it.
    Handle Release() { return std::exchange(m_handle, Traits::Invalid()); }

    // Releases the handle held (if any) and holds handle instead.
    void Reset(Handle handle = Traits::Invalid()) {
        const Handle old = std::exchange(m_handle, handle);
        if (Traits::IsValid(old)) {
            Traits::Close(old);
        }
    }

private:
    Handle m_handle = Traits::Invalid();
};

template <typename T, auto Closer> struct HandleTraits {
    using Handle = T;
    static Handle Invalid() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { Closer(h); }
};

// CreateFile reports a failure as INVALID_HANDLE_VALUE, the other kernel calls as null.
struct KernelHandleTraits : HandleTraits<HANDLE, &::CloseHandle> {
    static bool IsValid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
};

using UniqueHandle = UniqueResource<KernelHandleTraits>;
using UniqueIcon = UniqueResource<HandleTraits<HICON, &::DestroyIcon>>;
using UniqueCursor = UniqueResource<HandleTraits<HCURSOR, &::DestroyCursor>>;
using UniqueMenu = UniqueResource<HandleTraits<HMENU, &::DestroyMenu>>;
using UniqueMemoryDc = UniqueResource<HandleTraits<HDC, &::DeleteDC>>;

// Selects a GDI object into a device context and puts the displaced one back when it ends.
// Empty (restores nothing) when default-constructed or when the selection failed.
class ScopedSelect {
public:
    ScopedSelect() = default;
    ScopedSelect(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(::SelectObject(dc, object)) {
        if (m_old == HGDI_ERROR) {
            m_old = nullptr;
        }
    }
    ~ScopedSelect() { Restore(); }

    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;
    ScopedSelect(ScopedSelect&& other) noexcept
        : m_dc(other.m_dc), m_old(std::exchange(other.m_old, nullptr)) {}
    ScopedSelect& operator=(ScopedSelect&& other) noexcept {
        if (this != &other) {
            Restore();
            m_dc = other.m_dc;
            m_old = std::exchange(other.m_old, nullptr);
        }
        return *this;
    }

private:
    void Restore() {
        if (m_old != nullptr) {
            ::SelectObject(m_dc, std::exchange(m_old, nullptr));
        }
    }

    HDC m_dc = nullptr;
    HGDIOBJ m_old = nullptr;
};

} // namespace fw
