// The roots of the class library's object model: TObject (a virtual
// destructor and the class name used in error texts), TPersistent (Assign and
// AssignTo) and the notify-event type every event of the library uses.
#pragma once
#include <functional>
#include <string>

#include "platform/Exception.h"

namespace qv {

class TObject;
using TNotifyEvent = std::function<void(TObject* Sender)>;

class EInvalidOperation : public Exception {
 public:
  using Exception::Exception;
};
class EListError : public Exception {
 public:
  using Exception::Exception;
};

class TObject {
 public:
  virtual ~TObject() = default;
  // The class name without the namespace ("TFont"), from the dynamic type.
  std::string ClassName() const;
};

// Deletes the object and nils the pointer; a null pointer is fine.
template <class T>
void FreeAndNil(T*& obj) {
  T* p = obj;
  obj = nullptr;
  delete p;
}

class TPersistent : public TObject {
 public:
  // Copies Source into this object. The default asks Source to do it through
  // AssignTo and fails with EConvertError "Cannot assign a <X> to a <Y>".
  virtual void Assign(TPersistent* Source);
  // The object that owns this one for naming and streaming purposes.
  virtual TPersistent* GetOwner() { return nullptr; }

 protected:
  virtual void AssignTo(TPersistent* Dest);
  // Raises the EConvertError of a failed assignment from Source to this object.
  [[noreturn]] void AssignError(TPersistent* Source);
};

}  // namespace qv
