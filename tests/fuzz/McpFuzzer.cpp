// libFuzzer target: the frames kv410-script --mcp reads, one JSON-RPC message per line.
//
// Each input is a session of its own on a fresh server whose files go to a scratch folder; every
// line is handed to the server as its input loop does, the virtual time of a call bounded. Rules:
// a message with an id (a string or an integer) gets exactly one response, which is one line of
// JSON-RPC 2.0 with that id and either a result or an error; anything else gets no response or
// an error with a null id. A broken rule aborts with a message.
#include "scripttool/McpServer.h"
#include "unit/VirtualTime.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

using namespace kv410;
using Json = nlohmann::json;

// Virtual time one call may take, and the lines of one input that are served.
constexpr int64_t TickBudget = 60 * TicksPerSecond;
constexpr int MaxFrames = 48;

[[noreturn]] void broken(const char* rule, const std::string& detail) {
    std::fprintf(stderr, "rule broken: %s: %s\n", rule, detail.c_str());
    std::abort();
}

const std::string& scratchFolder() {
    static const std::string folder = [] {
        const std::filesystem::path path =
            std::filesystem::temp_directory_path() / "kv410-fuzz-mcp";
        std::filesystem::create_directories(path);
        return path.string();
    }();
    return folder;
}

void checkResponse(std::string_view frame, const std::string& response) {
    Json request;
    bool parsed = true;
    try {
        request = Json::parse(frame);
    } catch (const Json::parse_error&) {
        parsed = false;
    }
    const bool hasId = parsed && request.is_object() && request.contains("id") &&
                       (request["id"].is_string() || request["id"].is_number_integer());
    const bool isRequest = hasId && request.contains("method");
    if (response.empty()) {
        if (isRequest) {
            broken("a request with an id got no response", std::string(frame));
        }
        return;
    }
    if (response.find('\n') != std::string::npos) {
        broken("a response spans more than one line", response);
    }
    Json answer;
    try {
        answer = Json::parse(response);
    } catch (const Json::parse_error&) {
        broken("a response is no JSON", response);
    }
    if (!answer.is_object() || answer.value("jsonrpc", "") != "2.0" ||
        answer.contains("result") == answer.contains("error")) {
        broken("a response is no JSON-RPC 2.0 response", response);
    }
    if (hasId ? answer["id"] != request["id"] : !answer["id"].is_null()) {
        broken("a response carries another id", std::string(frame) + " -> " + response);
    }
    if (answer.contains("error") && !answer["error"]["code"].is_number_integer()) {
        broken("an error has no code", response);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ScenarioOptions options;
    McpServer server(options, scratchFolder());
    server.setTickLimit(TickBudget);
    size_t start = 0;
    for (int frames = 0; start < text.size() && frames < MaxFrames; ++frames) {
        size_t end = text.find('\n', start);
        end = end == std::string_view::npos ? text.size() : end;
        const std::string_view frame = text.substr(start, end - start);
        start = end + 1;
        if (frame.find_first_not_of(" \t\r") == std::string_view::npos) {
            continue;
        }
        checkResponse(frame, server.handle(frame));
    }
    return 0;
}
