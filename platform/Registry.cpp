// The parts of RegKey that are the same on every target.
#include "platform/Registry.h"

#include <utility>

namespace platform {

RegKey::~RegKey() { Close(); }

RegKey::RegKey(RegKey&& other) noexcept : m_handle(std::exchange(other.m_handle, nullptr)) {}

RegKey& RegKey::operator=(RegKey&& other) noexcept {
    if (this != &other) {
        Close();
        m_handle = std::exchange(other.m_handle, nullptr);
    }
    return *this;
}

} // namespace platform
