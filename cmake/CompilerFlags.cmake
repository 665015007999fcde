# Loaded before the first configure caches the flags. RelWithDebInfo keeps line tables only: enough
# for backtraces and sanitizer reports, and a fifth less compile time than full debug information.
# Pass -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g -DNDEBUG" or build Debug for a debugger session.
set(CMAKE_CXX_FLAGS_RELWITHDEBINFO_INIT "-O2 -g1 -DNDEBUG")
