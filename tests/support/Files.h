// Files the tests make and read behind the library's back: a scratch folder
// of the test's own and a file's text.
#ifndef TARN_TESTS_SUPPORT_FILES_H
#define TARN_TESTS_SUPPORT_FILES_H

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

namespace tarntest {

// A folder of the test's own in the temporary folder, removed with
// everything in it.
class ScratchFolder {
public:
    ScratchFolder()
        : m_path((std::filesystem::temp_directory_path() / ("tarn-test-" + std::to_string(std::random_device{}())))
                     .string()) {
        std::filesystem::create_directory(m_path);
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// The text of a regular file; empty for anything else (reading a pipe would wait).
inline std::string FileText(const std::string& path) {
    if (!std::filesystem::is_regular_file(path))
        return std::string();
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace tarntest

#endif
