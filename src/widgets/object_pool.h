// Keeps framework objects alive until ResetWidgets(), so that pointers held by
// the program (mainApp, the page lists, spinners, rows) never dangle, in the
// same way the toolkit keeps freed gadgets until its Shutdown().
#pragma once

#include <memory>
#include <vector>

namespace corvane::widgets_internal {

std::vector<std::shared_ptr<void>>& KeptObjects();

// Takes ownership and returns the raw pointer.
template <class T>
T* Keep(std::unique_ptr<T> object) {
  T* raw = object.get();
  KeptObjects().push_back(std::shared_ptr<T>(std::move(object)));
  return raw;
}

}  // namespace corvane::widgets_internal
