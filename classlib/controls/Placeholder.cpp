// Keeps the library non-empty while its units are written.
namespace qv {}
