// kv410-script --mcp: a Model Context Protocol server on standard input and output. Every
// message is one line of JSON-RPC 2.0; the tools play scenario steps on one session of the unit
// through the step sequencer, so an assistant drives the same engine as every script. Virtual
// time moves only when a tool asks for it. Files are read and written inside one folder only.
#pragma once

#include "scripttool/Runner.h"

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>

namespace kv410 {

class McpServer {
public:
    // A server on a fresh session of the unit (the host clock and pictures of `options`), its
    // files inside `folder` (empty: the current folder). Only one server lives at a time: the
    // controller's state is the process's.
    McpServer(const ScenarioOptions& options, const std::string& folder);
    ~McpServer();
    McpServer(const McpServer&) = delete;
    McpServer& operator=(const McpServer&) = delete;

    // Answers one message (a line without its newline): the response as one line of JSON, or
    // empty for a notification or a response of the client.
    std::string handle(std::string_view message);

    // The most virtual time, in ticks, that one tool call may take (default: a week); a call
    // that asks for more is refused before it runs.
    void setTickLimit(int64_t ticks);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Serves messages from `in` until it ends, one response per line on `out`; 0 at the end.
int runMcp(std::istream& in, std::ostream& out, const ScenarioOptions& options,
           const std::string& folder);

// The text of docs/scenario-format.md, embedded when the program was built.
extern const char* const ScenarioFormatText;

} // namespace kv410
