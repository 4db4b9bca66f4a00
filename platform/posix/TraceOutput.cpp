#include "platform/TraceOutput.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/posix/OwnFiles.h"

namespace platform {

namespace {
constexpr char StandardError[] = "stderr";
}

TraceOutput::TraceOutput(const char* destination) : m_handle(-1), m_owned(false) {
    if (std::strcmp(destination, StandardError) == 0) {
        m_handle = STDERR_FILENO;
        return;
    }
    // O_APPEND: every write lands whole at the end, whoever else appends. A
    // file that is not the user's alone is refused; why cannot be traced.
    std::string why;
    m_handle =
        OpenOwnFile(destination, O_WRONLY | O_APPEND | O_CREAT, 0600, S_IWGRP | S_IWOTH, Owners{geteuid()}, why);
    m_owned = m_handle >= 0;
}

TraceOutput::~TraceOutput() {
    if (m_owned)
        ::close(static_cast<int>(m_handle));
}

bool TraceOutput::Failed() const { return m_handle < 0; }

void TraceOutput::Write(const char* data, std::size_t size) {
    while (size > 0 && m_handle >= 0) {
        const ssize_t written = ::write(static_cast<int>(m_handle), data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

bool EnvironmentValue(const char* name, std::string& value) {
    const char* text = std::getenv(name);
    if (!text)
        return false;
    value = text;
    return true;
}

std::uint64_t CurrentThreadNumber() { return static_cast<std::uint64_t>(::syscall(SYS_gettid)); }

} // namespace platform
