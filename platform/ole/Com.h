// The component-object core: result codes, interface ids, the IUnknown base
// with reference counting, a ready-made implementation of it (ComObject) and
// a smart pointer (ComPtr). Objects live in this process only; an object
// deletes itself when its last reference is released. Methods of these
// interfaces report failure through HRESULT codes and never throw.
#pragma once
#include <atomic>
#include <cstdint>
#include <utility>

#include "platform/Guid.h"
#include "platform/WinTypes.h"

namespace qv {

using HRESULT = int32_t;
using ULONG = uint32_t;
using IID = TGUID;
using CLSID = TGUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

constexpr HRESULT MakeHResult(uint32_t v) {
  return static_cast<HRESULT>(v);
}
constexpr bool SUCCEEDED(HRESULT hr) {
  return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
  return hr < 0;
}

// General results
constexpr HRESULT S_OK = 0, S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = MakeHResult(0x80004001), E_NOINTERFACE = MakeHResult(0x80004002),
                  E_POINTER = MakeHResult(0x80004003), E_ABORT = MakeHResult(0x80004004),
                  E_FAIL = MakeHResult(0x80004005), E_UNEXPECTED = MakeHResult(0x8000FFFF),
                  E_OUTOFMEMORY = MakeHResult(0x8007000E), E_INVALIDARG = MakeHResult(0x80070057);
// Data transfer
constexpr HRESULT DV_E_FORMATETC = MakeHResult(0x80040064), DV_E_DVTARGETDEVICE = MakeHResult(0x80040065),
                  DV_E_LINDEX = MakeHResult(0x80040068), DV_E_TYMED = MakeHResult(0x80040069),
                  DV_E_CLIPFORMAT = MakeHResult(0x8004006A), DV_E_DVASPECT = MakeHResult(0x8004006B),
                  OLE_E_ADVISENOTSUPPORTED = MakeHResult(0x80040003), OLE_S_USEREG = MakeHResult(0x00040000),
                  DATA_S_SAMEFORMATETC = MakeHResult(0x00040130);
// Drag and drop
constexpr HRESULT DRAGDROP_S_DROP = MakeHResult(0x00040100), DRAGDROP_S_CANCEL = MakeHResult(0x00040101),
                  DRAGDROP_S_USEDEFAULTCURSORS = MakeHResult(0x00040102),
                  DRAGDROP_E_NOTREGISTERED = MakeHResult(0x80040100),
                  DRAGDROP_E_ALREADYREGISTERED = MakeHResult(0x80040101),
                  DRAGDROP_E_INVALIDHWND = MakeHResult(0x80040102);
// Clipboard, storage and activation
constexpr HRESULT CLIPBRD_E_CANT_OPEN = MakeHResult(0x800401D0), CLIPBRD_E_BAD_DATA = MakeHResult(0x800401D3),
                  REGDB_E_CLASSNOTREG = MakeHResult(0x80040154),
                  STG_E_INVALIDFUNCTION = MakeHResult(0x80030001),
                  STG_E_INVALIDPOINTER = MakeHResult(0x80030009), STG_E_MEDIUMFULL = MakeHResult(0x80030070);

inline constexpr IID IID_IUnknown{0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline bool IsEqualGUID(const TGUID& a, const TGUID& b) {
  return a == b;
}
inline bool IsEqualIID(REFIID a, REFIID b) {
  return a == b;
}

// The root of every interface. The destructor is protected: objects end
// through Release, never through delete.
struct IUnknown {
  static const IID& Iid() { return IID_IUnknown; }
  virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};

// Reference counting and QueryInterface for a class implementing the given
// interfaces (each declaring a static Iid()). A new object starts with one
// reference, owned by whoever made it. Interfaces that derive from another
// interface (say IStream from ISequentialStream) answer the base through
// QueryExtra.
template <class First, class... Rest>
class ComObject : public First, public Rest... {
 public:
  HRESULT QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown) {
      *object = static_cast<IUnknown*>(static_cast<First*>(this));
    } else if (iid == First::Iid()) {
      *object = static_cast<First*>(this);
    } else {
      ((iid == Rest::Iid() && !*object ? void(*object = static_cast<Rest*>(this)) : void()), ...);
      if (!*object) *object = QueryExtra(iid);
    }
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG AddRef() override { return refs_.fetch_add(1) + 1; }
  ULONG Release() override {
    ULONG left = refs_.fetch_sub(1) - 1;
    if (left == 0) delete this;
    return left;
  }

 protected:
  ComObject() = default;
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;
  ~ComObject() override = default;
  // Interfaces beyond the listed ones; the result is not yet AddRef'd.
  virtual void* QueryExtra(REFIID) { return nullptr; }

 private:
  std::atomic<ULONG> refs_{1};
};

// Holds one reference to an interface.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  // Takes a new reference to p.
  explicit ComPtr(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  ComPtr(const ComPtr& o) : ComPtr(o.p_) {}
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ~ComPtr() { Reset(); }
  ComPtr& operator=(ComPtr o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  // Adopts a reference the caller already owns (a new object, an out parameter).
  static ComPtr Adopt(T* p) {
    ComPtr r;
    r.p_ = p;
    return r;
  }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // Hands the reference to the caller.
  T* Detach() { return std::exchange(p_, nullptr); }
  void Reset() {
    if (T* p = std::exchange(p_, nullptr)) p->Release();
  }
  // For out parameters: drops the current reference first.
  T** Put() {
    Reset();
    return &p_;
  }
  // Another interface of the same object, or empty.
  template <class U>
  ComPtr<U> As() const {
    U* u = nullptr;
    if (p_ && SUCCEEDED(p_->QueryInterface(U::Iid(), reinterpret_cast<void**>(&u))))
      return ComPtr<U>::Adopt(u);
    return {};
  }

 private:
  T* p_ = nullptr;
};

// The class factory registry is empty in this process: every class id is
// unknown, so callers take their documented fallback path.
constexpr DWORD CLSCTX_INPROC_SERVER = 0x1, CLSCTX_INPROC_HANDLER = 0x2, CLSCTX_LOCAL_SERVER = 0x4;
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid, void** object);

}  // namespace qv
