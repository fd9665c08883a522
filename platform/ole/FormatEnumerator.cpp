// The ready-made IEnumFORMATETC over a vector of formats.
#include <memory>
#include <new>

#include "platform/ole/DataTransfer.h"

namespace qv {
namespace {

class FormatEnumerator final : public ComObject<IEnumFORMATETC> {
 public:
  FormatEnumerator(std::shared_ptr<const std::vector<FORMATETC>> formats, size_t index)
      : formats_(std::move(formats)), index_(index) {}

  HRESULT Next(ULONG count, FORMATETC* out, ULONG* fetched) override {
    if (!out || (count > 1 && !fetched)) return E_POINTER;
    ULONG n = 0;
    while (n < count && index_ < formats_->size()) out[n++] = (*formats_)[index_++];
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT Skip(ULONG count) override {
    if (index_ + count > formats_->size()) return S_FALSE;
    index_ += count;
    return S_OK;
  }
  HRESULT Reset() override {
    index_ = 0;
    return S_OK;
  }
  HRESULT Clone(IEnumFORMATETC** copy) override {
    if (!copy) return E_POINTER;
    *copy = new (std::nothrow) FormatEnumerator(formats_, index_);
    return *copy ? S_OK : E_OUTOFMEMORY;
  }

 private:
  std::shared_ptr<const std::vector<FORMATETC>> formats_;  // shared by clones
  size_t index_;
};

}  // namespace

HRESULT CreateFormatEnumerator(std::vector<FORMATETC> formats, IEnumFORMATETC** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  try {
    *out = new FormatEnumerator(std::make_shared<const std::vector<FORMATETC>>(std::move(formats)), 0);
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace qv
