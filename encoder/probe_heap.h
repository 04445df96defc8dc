// Memory set-up for the short-lived probe run.
#pragma once

namespace enc {

// A probe lives a few milliseconds, and most of that time goes into the kernel handing out
// fresh 4 KiB pages: decoder contexts, tables and one picture are zeroed and written once.
// This keeps every allocation of the run in one pre-grown heap that the kernel may back with
// transparent huge pages, so a few faults replace hundreds. Harmless where huge pages are off.
// Call before the input is opened; meant for the probe only, as a long conversion is better
// served by the allocator's usual return of large buffers to the system.
void prepareHeapForProbe();

} // namespace enc
