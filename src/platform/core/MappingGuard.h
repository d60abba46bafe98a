#pragma once

#include <functional>

// An access through a file's mapping raises SIGBUS where the file cannot serve it: another
// program cut the file short, or its disk failed. Inside `guarded` that signal ends the work
// instead of the program.
namespace MappingGuard {

// Runs `work` on this thread; false when a bus error ended it. `work` is abandoned where the
// signal meets it, so it must own nothing that needs destroying there (loops over the
// mapping, C functions).
bool guarded(const std::function<void()> &work);

} // namespace MappingGuard
