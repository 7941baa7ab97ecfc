#pragma once

namespace rovana {

// How a signal computation ended. Anything but Ok leaves the caller's buffers untouched.
enum class SignalStatus
{
    Ok,
    Skipped,     // sample count outside the range the computation is defined for
    BadSize,     // a buffer is shorter than needed, or a length is not a power of two
    OutOfMemory, // the twiddle tables could not be allocated
};

} // namespace rovana
