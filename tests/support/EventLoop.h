#pragma once

#include <functional>

namespace tavrik::test {

/// Runs the real event loop until `done` holds or `milliseconds` pass; false on time-out.
/// For end-to-end tests against real devices, where events come from outside.
[[nodiscard]] bool waitFor(const std::function<bool()>& done, int milliseconds);

} // namespace tavrik::test
