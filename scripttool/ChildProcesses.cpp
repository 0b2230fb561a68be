#include "scripttool/ChildProcesses.h"

#if defined(__unix__) && !defined(__EMSCRIPTEN__)
#define KV410_CHILD_PROCESSES 1
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#endif

namespace kv410 {

#ifdef KV410_CHILD_PROCESSES

namespace {

// A child process that takes one piece of work after another: the parent writes the number of
// the next piece to `tasks`, the child answers with its length and bytes on `results`. Starting a
// process per piece costs a few milliseconds each; these few children do all of the pieces.
struct Worker {
    pid_t pid = -1;
    // Write end of the task pipe and read end of the result pipe; -1 once closed.
    int tasks = -1;
    int results = -1;
    // The piece under way, -1 when idle.
    int64_t task = -1;
    std::string received;
};

// A finished piece waiting for the ones before it.
struct Outcome {
    bool ended = false;
    std::string bytes;
    std::string failure;
};

bool writeAll(int fd, const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    size_t written = 0;
    while (written < size) {
        const ssize_t n = ::write(fd, bytes + written, size - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        written += static_cast<size_t>(n);
    }
    return true;
}

bool readAll(int fd, void* data, size_t size) {
    auto* bytes = static_cast<char*>(data);
    size_t got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, bytes + got, size - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        got += static_cast<size_t>(n);
    }
    return true;
}

std::string endingOf(int status) {
    if (WIFSIGNALED(status)) {
        return "ended by signal " + std::to_string(WTERMSIG(status)) + " (" +
               ::strsignal(WTERMSIG(status)) + ")";
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
        return "ended with status " + std::to_string(WEXITSTATUS(status));
    }
    return "ended without handing back its result";
}

// The child's side: pieces until the parent closes the task pipe.
[[noreturn]] void serve(int tasks, int results, const std::function<std::string(size_t)>& work) {
    uint64_t index = 0;
    while (readAll(tasks, &index, sizeof index)) {
        const std::string bytes = work(static_cast<size_t>(index));
        const uint64_t size = bytes.size();
        if (!writeAll(results, &size, sizeof size) ||
            !writeAll(results, bytes.data(), bytes.size())) {
            ::_exit(3);
        }
    }
    // No exit handlers and no flushing of buffers: they are the parent's.
    ::_exit(0);
}

void closeWorker(Worker& worker) {
    if (worker.tasks >= 0) {
        ::close(worker.tasks);
        worker.tasks = -1;
    }
    if (worker.results >= 0) {
        ::close(worker.results);
        worker.results = -1;
    }
}

int waitFor(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

} // namespace

bool childProcessesAvailable() {
    return true;
}

void runInChildProcesses(size_t count, int jobs, const std::function<std::string(size_t)>& work,
                         const std::function<void(size_t, std::string&&, const std::string&)>& done,
                         const std::vector<size_t>& start) {
    const auto piece = [&start](size_t n) { return start.empty() ? n : start[n]; };
    // A child that died must not take the parent with it when a task is written to it.
    struct sigaction ignore {};
    struct sigaction previous {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGPIPE, &ignore, &previous);

    std::vector<Outcome> outcomes(count);
    std::vector<Worker> workers;
    size_t next = 0;
    size_t reported = 0;
    std::string startFailure;

    const auto startWorker = [&]() -> Worker* {
        int tasks[2];
        int results[2];
        if (::pipe(tasks) != 0) {
            startFailure = std::string("could not make a pipe: ") + std::strerror(errno);
            return nullptr;
        }
        if (::pipe(results) != 0) {
            startFailure = std::string("could not make a pipe: ") + std::strerror(errno);
            ::close(tasks[0]);
            ::close(tasks[1]);
            return nullptr;
        }
        const pid_t pid = ::fork();
        if (pid < 0) {
            startFailure = std::string("could not start a process: ") + std::strerror(errno);
            for (const int fd : {tasks[0], tasks[1], results[0], results[1]}) {
                ::close(fd);
            }
            return nullptr;
        }
        if (pid == 0) {
            // The other children's pipes stay with the parent, or they would never see their end.
            for (Worker& other : workers) {
                closeWorker(other);
            }
            ::close(tasks[1]);
            ::close(results[0]);
            serve(tasks[0], results[1], work);
        }
        ::close(tasks[0]);
        ::close(results[1]);
        Worker worker;
        worker.pid = pid;
        worker.tasks = tasks[1];
        worker.results = results[0];
        workers.push_back(std::move(worker));
        return &workers.back();
    };
    const auto finish = [&](size_t index, std::string bytes, std::string failure) {
        outcomes[index].ended = true;
        outcomes[index].bytes = std::move(bytes);
        outcomes[index].failure = std::move(failure);
    };

    while (reported < count) {
        // Hand out the next pieces: to idle children first, then to new ones up to `jobs`.
        for (Worker& worker : workers) {
            if (worker.results >= 0 && worker.task < 0 && next < count) {
                const uint64_t index = piece(next);
                if (writeAll(worker.tasks, &index, sizeof index)) {
                    worker.task = static_cast<int64_t>(index);
                    ++next;
                }
            }
        }
        size_t alive = 0;
        for (const Worker& worker : workers) {
            alive += worker.results >= 0 ? 1 : 0;
        }
        while (next < count && alive < static_cast<size_t>(jobs)) {
            Worker* worker = startWorker();
            const uint64_t index = piece(next);
            if (worker == nullptr) {
                if (alive == 0) {
                    // Nothing can run it: the piece fails, and the next one is tried.
                    finish(index, {}, startFailure);
                    ++next;
                    continue;
                }
                break;
            }
            ++alive;
            if (writeAll(worker->tasks, &index, sizeof index)) {
                worker->task = static_cast<int64_t>(index);
                ++next;
            }
        }

        std::vector<pollfd> polled;
        std::vector<size_t> owners;
        for (size_t k = 0; k < workers.size(); ++k) {
            if (workers[k].results >= 0) {
                polled.push_back({workers[k].results, POLLIN, 0});
                owners.push_back(k);
            }
        }
        if (!polled.empty() && ::poll(polled.data(), polled.size(), -1) < 0 && errno == EINTR) {
            continue;
        }
        for (size_t k = 0; k < polled.size(); ++k) {
            if (polled[k].revents == 0) {
                continue;
            }
            Worker& worker = workers[owners[k]];
            char buffer[65536];
            const ssize_t n = ::read(worker.results, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n > 0) {
                worker.received.append(buffer, static_cast<size_t>(n));
                uint64_t size = 0;
                while (worker.received.size() >= sizeof size) {
                    std::memcpy(&size, worker.received.data(), sizeof size);
                    if (worker.received.size() - sizeof size < size || worker.task < 0) {
                        break;
                    }
                    finish(static_cast<size_t>(worker.task),
                           worker.received.substr(sizeof size, size), "");
                    worker.received.erase(0, sizeof size + size);
                    worker.task = -1;
                }
                continue;
            }
            // The child ended: the piece it was on ends with it.
            closeWorker(worker);
            const int status = waitFor(worker.pid);
            if (worker.task >= 0) {
                finish(static_cast<size_t>(worker.task), {}, endingOf(status));
                worker.task = -1;
            }
        }
        while (reported < count && outcomes[reported].ended) {
            done(reported, std::move(outcomes[reported].bytes), outcomes[reported].failure);
            outcomes[reported] = Outcome{};
            ++reported;
        }
    }

    for (Worker& worker : workers) {
        if (worker.results >= 0) {
            closeWorker(worker);
            waitFor(worker.pid);
        }
    }
    ::sigaction(SIGPIPE, &previous, nullptr);
}

#else

bool childProcessesAvailable() {
    return false;
}

void runInChildProcesses(size_t count, int, const std::function<std::string(size_t)>& work,
                         const std::function<void(size_t, std::string&&, const std::string&)>& done,
                         const std::vector<size_t>&) {
    for (size_t i = 0; i < count; ++i) {
        done(i, work(i), "");
    }
}

#endif

} // namespace kv410
