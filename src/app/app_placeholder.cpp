// Keeps the GUI library non-empty until the application shell lands; delete then.
namespace kelvo::app {
void shellPending() {}
}  // namespace kelvo::app
