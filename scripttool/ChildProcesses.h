// Work run side by side in child processes (kv410-script -j N): each child starts as a copy of
// the tool, takes one piece of work after another and hands back each result as bytes through a
// pipe.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace kv410 {

// True where child processes can be started (not in the WebAssembly build of the tool).
bool childProcessesAvailable();

// Runs work(i) for every i below count in at most `jobs` child processes, each taking the next
// piece when it is done with one, in the order `start` gives (empty: 0, 1, 2, ...).
// done(i, bytes, failure) is called in the order of i, as soon as i and every one before it have
// ended: `bytes` is what work(i) returned, `failure` says why there is nothing when the child died
// on it ("ended by signal 11"); a new child takes over the rest.
void runInChildProcesses(size_t count, int jobs, const std::function<std::string(size_t)>& work,
                         const std::function<void(size_t, std::string&&, const std::string&)>& done,
                         const std::vector<size_t>& start = {});

} // namespace kv410
