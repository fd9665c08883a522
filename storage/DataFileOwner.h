// What the data file needs of the database that owns it: the database ID that
// its header carries, and the logged-in user whose key enciphers the records.
#pragma once
#include "platform/Guid.h"

namespace qv {

class TXUser;

class IDataFileOwner {
 public:
  virtual ~IDataFileOwner() = default;
  virtual const TGUID& DatabaseID() const = 0;
  virtual const TXUser* LoggedInUser() const = 0;
};

}  // namespace qv
