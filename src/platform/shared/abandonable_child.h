#pragma once

#include <functional>

namespace corvath {

// Runs work in a child process and returns the status it ends with as soon
// as the child reports it, without waiting for the child to be gone. A thread
// held in a request that a hung filesystem never answers cannot be ended, not
// even by SIGKILL, and keeps its process from ending; the caller, which has
// touched no filesystem, still ends on time and leaves the child to go when
// the filesystem answers or its daemon dies. The child's standard streams are
// closed when it reports, so a reader of its output is not held either. The
// child dies with the caller. With no child to be had, work runs here.
//
// On POSIX the child is forked: call it before any thread is started, since
// only the calling thread lives on in the child. On Windows the child is the
// same program started again with the same command line; it reaches this call
// too and runs work there, so nothing before the call may depend on being the
// first of the two.
int runInAbandonableChild(const std::function<int()>& work);

}  // namespace corvath
