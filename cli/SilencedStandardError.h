#pragma once

namespace tallimo::cli {

// While alive, what the process writes to standard error is dropped. The workbook writer library
// prints its own English diagnostics there when a save fails; the user reads the Chinese message
// that follows instead. The progress line writes through a descriptor of its own and goes on.
class SilencedStandardError {
public:
    SilencedStandardError();
    ~SilencedStandardError();
    SilencedStandardError(const SilencedStandardError&) = delete;
    SilencedStandardError& operator=(const SilencedStandardError&) = delete;

private:
    int saved_ = -1;
};

}  // namespace tallimo::cli
