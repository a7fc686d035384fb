// The public-API tests run headless on Linux unless told otherwise, so they
// open no window on a developer's display.
#include <cstdlib>

namespace {
const int headlessByDefault = setenv("STANDIN_PRESENTER", "headless", 0);
}
