// Test support library (scripted test host, screen builder); see the headers beside this file.
namespace vantor::testing_support {
int SupportLibraryAnchor() { return 0; }
}  // namespace vantor::testing_support
