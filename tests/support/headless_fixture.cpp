#include "support/headless_fixture.h"

namespace corvane::testing {

HeadlessToolkit::HeadlessToolkit(int desktop_width, int desktop_height) {
  tk::Shutdown();
  auto backend = std::make_unique<tk::HeadlessBackend>(desktop_width, desktop_height);
  backend_ = backend.get();
  tk::SetBackend(std::move(backend));
}

HeadlessToolkit::~HeadlessToolkit() { tk::Shutdown(); }

void HeadlessTest::SetUp() { toolkit_ = std::make_unique<HeadlessToolkit>(); }

void HeadlessTest::TearDown() { toolkit_.reset(); }

}  // namespace corvane::testing
