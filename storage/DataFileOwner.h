// What the data file needs of the database that owns it: the database ID that
// its header carries, the logged-in user whose key enciphers the records, and
// the file hooks its writes go through.
#pragma once
#include "platform/FileHooks.h"
#include "platform/Guid.h"

namespace qv {

class TXUser;

class IDataFileOwner {
 public:
  virtual ~IDataFileOwner() = default;
  virtual const TGUID& DatabaseID() const = 0;
  virtual const TXUser* LoggedInUser() const = 0;
  virtual FileHooks& Hooks() const { return FileHooks::None(); }
  // The database cannot be written: its files are opened for reading only.
  virtual bool OpensReadOnly() const { return false; }
};

}  // namespace qv
