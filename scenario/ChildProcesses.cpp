#include "scenario/ChildProcesses.h"

#if defined(__unix__) && !defined(__EMSCRIPTEN__)
#define KV410_CHILD_PROCESSES 1
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#endif

namespace kv410 {

#ifdef KV410_CHILD_PROCESSES

namespace {

struct Child {
    pid_t pid = -1;
    // Read end of the child's pipe, -1 once it is closed.
    int fd = -1;
    std::string bytes;
    bool ended = false;
    std::string failure;
};

// Writes all of text to fd; false when the pipe broke.
bool writeAll(int fd, const std::string& text) {
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
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

std::string endingOf(int status) {
    if (WIFSIGNALED(status)) {
        return "ended by signal " + std::to_string(WTERMSIG(status)) + " (" +
               ::strsignal(WTERMSIG(status)) + ")";
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
        return "ended with status " + std::to_string(WEXITSTATUS(status));
    }
    return "";
}

} // namespace

bool childProcessesAvailable() {
    return true;
}

void runInChildProcesses(
    size_t count, int jobs, const std::function<std::string(size_t)>& work,
    const std::function<void(size_t, std::string&&, const std::string&)>& done) {
    std::vector<Child> children(count);
    size_t next = 0;
    size_t reported = 0;
    int running = 0;
    const auto start = [&](size_t i) {
        Child& child = children[i];
        int ends[2];
        if (::pipe(ends) != 0) {
            child.ended = true;
            child.failure = std::string("could not make a pipe: ") + std::strerror(errno);
            return;
        }
        const pid_t pid = ::fork();
        if (pid < 0) {
            ::close(ends[0]);
            ::close(ends[1]);
            child.ended = true;
            child.failure = std::string("could not start a process: ") + std::strerror(errno);
            return;
        }
        if (pid == 0) {
            ::close(ends[0]);
            for (const Child& other : children) {
                if (other.fd >= 0) {
                    ::close(other.fd);
                }
            }
            const bool sent = writeAll(ends[1], work(i));
            ::close(ends[1]);
            // No exit handlers and no flushing of the parent's buffers: they are the parent's.
            ::_exit(sent ? 0 : 3);
        }
        ::close(ends[1]);
        child.pid = pid;
        child.fd = ends[0];
        ++running;
    };
    const auto reap = [&](Child& child) {
        ::close(child.fd);
        child.fd = -1;
        int status = 0;
        while (::waitpid(child.pid, &status, 0) < 0 && errno == EINTR) {
        }
        child.failure = endingOf(status);
        child.ended = true;
        --running;
    };

    while (reported < count) {
        while (running < jobs && next < count) {
            start(next++);
        }
        std::vector<pollfd> polled;
        std::vector<size_t> owners;
        for (size_t i = 0; i < next; ++i) {
            if (children[i].fd >= 0) {
                polled.push_back({children[i].fd, POLLIN, 0});
                owners.push_back(i);
            }
        }
        if (!polled.empty() && ::poll(polled.data(), polled.size(), -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            // Nothing sensible is left but to wait for each child in turn.
            for (pollfd& entry : polled) {
                entry.revents = POLLIN;
            }
        }
        for (size_t k = 0; k < polled.size(); ++k) {
            if (polled[k].revents == 0) {
                continue;
            }
            Child& child = children[owners[k]];
            char buffer[65536];
            const ssize_t n = ::read(child.fd, buffer, sizeof buffer);
            if (n > 0) {
                child.bytes.append(buffer, static_cast<size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                reap(child);
            }
        }
        while (reported < count && children[reported].ended) {
            Child& child = children[reported];
            done(reported, std::move(child.bytes), child.failure);
            child.bytes = std::string();
            ++reported;
        }
    }
}

#else

bool childProcessesAvailable() {
    return false;
}

void runInChildProcesses(
    size_t count, int, const std::function<std::string(size_t)>& work,
    const std::function<void(size_t, std::string&&, const std::string&)>& done) {
    for (size_t i = 0; i < count; ++i) {
        done(i, work(i), "");
    }
}

#endif

} // namespace kv410
