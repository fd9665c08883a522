// The ready-made data advise holder and the enumerator of its connections.
#include "platform/ole/DataAdvise.h"

#include <memory>
#include <new>
#include <vector>

namespace qv {
namespace {

struct Connection {
  FORMATETC Format;
  DWORD Advf;
  ComPtr<IAdviseSink> Sink;
  DWORD Number;
};

void Tell(IDataObject* Data, const Connection& C) {
  STGMEDIUM medium{};
  if (!(C.Advf & ADVF_NODATA) && Data && FAILED(Data->GetData(&C.Format, &medium))) medium = STGMEDIUM{};
  C.Sink->OnDataChange(&C.Format, &medium);
  ReleaseStgMedium(&medium);
}

class StatDataEnumerator final : public ComObject<IEnumSTATDATA> {
 public:
  StatDataEnumerator(std::shared_ptr<const std::vector<Connection>> items, size_t index)
      : items_(std::move(items)), index_(index) {}

  HRESULT Next(ULONG count, STATDATA* out, ULONG* fetched) override {
    if (!out || (count > 1 && !fetched)) return E_POINTER;
    ULONG n = 0;
    for (; n < count && index_ < items_->size(); ++n, ++index_) {
      const Connection& c = (*items_)[index_];
      out[n] = STATDATA{c.Format, c.Advf, c.Sink.Get(), c.Number};
      c.Sink->AddRef();
    }
    if (fetched) *fetched = n;
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT Skip(ULONG count) override {
    if (index_ + count > items_->size()) return S_FALSE;
    index_ += count;
    return S_OK;
  }
  HRESULT Reset() override {
    index_ = 0;
    return S_OK;
  }
  HRESULT Clone(IEnumSTATDATA** copy) override {
    if (!copy) return E_POINTER;
    *copy = new (std::nothrow) StatDataEnumerator(items_, index_);
    return *copy ? S_OK : E_OUTOFMEMORY;
  }

 private:
  std::shared_ptr<const std::vector<Connection>> items_;  // a snapshot shared by clones
  size_t index_;
};

class DataAdviseHolder final : public ComObject<IDataAdviseHolder> {
 public:
  HRESULT Advise(IDataObject* data, const FORMATETC* format, DWORD advf, IAdviseSink* sink,
                 DWORD* connection) override {
    if (connection) *connection = 0;
    if (!format || !sink) return E_INVALIDARG;
    Connection c{*format, advf, ComPtr<IAdviseSink>(sink), next_++};
    if (connection) *connection = c.Number;
    if (advf & ADVF_PRIMEFIRST) {
      Tell(data, c);
      if (advf & ADVF_ONLYONCE) return S_OK;
    }
    connections_.push_back(std::move(c));
    return S_OK;
  }
  HRESULT Unadvise(DWORD connection) override {
    for (auto it = connections_.begin(); it != connections_.end(); ++it)
      if (it->Number == connection) {
        connections_.erase(it);
        return S_OK;
      }
    return OLE_E_NOCONNECTION;
  }
  HRESULT EnumAdvise(IEnumSTATDATA** advises) override {
    if (!advises) return E_POINTER;
    *advises = new (std::nothrow)
        StatDataEnumerator(std::make_shared<const std::vector<Connection>>(connections_), 0);
    return *advises ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT SendOnDataChange(IDataObject* data, DWORD, DWORD) override {
    // A sink may advise or unadvise while it is told: the round works on a copy.
    std::vector<Connection> round = connections_;
    for (const Connection& c : round) {
      Tell(data, c);
      if (c.Advf & ADVF_ONLYONCE) Unadvise(c.Number);
    }
    return S_OK;
  }

 private:
  std::vector<Connection> connections_;
  DWORD next_ = 1;
};

}  // namespace

HRESULT CreateDataAdviseHolder(IDataAdviseHolder** holder) {
  if (!holder) return E_POINTER;
  *holder = new (std::nothrow) DataAdviseHolder;
  return *holder ? S_OK : E_OUTOFMEMORY;
}

}  // namespace qv
