// The exception base of every layer, and the "Assertion failure" helper that
// broken invariants (never ordinary or hostile input) end in.
#pragma once
#include <exception>
#include <string>

namespace qv {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message, int helpContext = 0)
      : Message(std::move(message)), HelpContext(helpContext) {}
  const char* what() const noexcept override { return Message.c_str(); }

  std::string Message;
  int HelpContext;
};

class EAssertionFailed : public Exception {
 public:
  using Exception::Exception;
};
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};
class EOutOfMemory : public Exception {
 public:
  using Exception::Exception;
};

// Throws EAssertionFailed with "Assertion failure (<file>, line <line>)".
[[noreturn]] void AssertionFailure(const char* file, int line);

}  // namespace qv

#define QV_ASSERT(cond) ((cond) ? static_cast<void>(0) : ::qv::AssertionFailure(__FILE__, __LINE__))
