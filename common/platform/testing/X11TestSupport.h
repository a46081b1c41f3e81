#pragma once

#include <functional>

namespace tallimo::testsupport {

// Handles events until condition holds; false when it still does not after `milliseconds`.
bool waitFor(const std::function<bool()>& condition, int milliseconds = 30000);

// Makes the test program's application on the X server of the test run (Xvfb), whatever
// platform the other tests use. Without a display it makes nothing; the tests then skip.
void startX11Application(const char* programName);

}  // namespace tallimo::testsupport
