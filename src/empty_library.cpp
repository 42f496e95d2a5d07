// Stands in a library whose folder has no code yet, so that targets linking
// it still build.
namespace {
[[maybe_unused]] int placeholder = 0;
}
