#include "WaitNotice.h"

#include <chrono>
#include <iostream>
#include <utility>

#include "Process.h"
#include "ShownText.h"

namespace tarn {

namespace {
constexpr std::chrono::seconds NoticeAfter{1};
}

WaitNotice::WaitNotice(std::string server) {
    if (server.empty() || !ErrorIsTerminal())
        return;
    m_thread = std::thread([this, server = std::move(server)] {
        std::unique_lock<std::mutex> guard(m_lock);
        if (!m_done.wait_for(guard, NoticeAfter, [this] { return m_over; }))
            std::cerr << "waiting for " << Shown(server) << " ..." << std::endl;
    });
}

WaitNotice::~WaitNotice() {
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_over = true;
    }
    m_done.notify_one();
    m_thread.join();
}

} // namespace tarn
