// Placeholder translation unit until the engine's units land.
namespace qv {
int StorageFormatVersion() { return 1; }
}  // namespace qv
