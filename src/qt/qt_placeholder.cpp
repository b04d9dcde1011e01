// Keeps the adapter library non-empty until the Qt adapters land; delete then.
namespace kelvo::qt {
void adaptersPending() {}
}  // namespace kelvo::qt
