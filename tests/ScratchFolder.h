// A scratch folder for a test: a new, empty folder of its own under the system's temporary
// folder, removed with everything in it when the object goes. Plain C++, so GoogleTest fixtures
// and the window's Qt Test programs share it.
#pragma once

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace kv410 {

class ScratchFolder {
public:
    // Makes kv410-LABEL-XXXXXX with a name no other test or process has; throws
    // std::filesystem::filesystem_error when it cannot.
    explicit ScratchFolder(const std::string& label = "test") {
        std::string name =
            (std::filesystem::temp_directory_path() / ("kv410-" + label + "-XXXXXX")).string();
        if (::mkdtemp(name.data()) == nullptr) {
            throw std::filesystem::filesystem_error(
                "cannot make a scratch folder", name,
                std::error_code(errno, std::generic_category()));
        }
        path_ = name;
    }
    ~ScratchFolder() {
        std::error_code ignored;
        if (!previousCurrent_.empty()) {
            std::filesystem::current_path(previousCurrent_, ignored);
        }
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of `name` inside the folder.
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    // Writes `text` to the file `name` in the folder and returns its path.
    std::string write(const std::string& name, const std::string& text) const {
        const std::string path = file(name);
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }
    // Makes the folder the current one until the object goes.
    void enter() {
        previousCurrent_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }

private:
    std::filesystem::path path_;
    std::filesystem::path previousCurrent_;
};

} // namespace kv410
