#include "messages/SecretText.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "messages/Immortal.h"
#include "vcom/CriticalSection.h"

namespace tarnClientLib {

namespace {

constexpr char Mask[] = "***";

// How many SecretTexts hold each value.
struct Registry {
    vcom::CriticalSection lock;
    std::map<std::string, int> counts;
};

Registry& Secrets() {
    static Immortal<Registry> registry;
    return registry.get();
}

void Register(const std::string& value) {
    if (value.empty())
        return;
    Registry& secrets = Secrets();
    vcom::ScopedLock guard(secrets.lock);
    ++secrets.counts[value];
}

void Unregister(const std::string& value) noexcept {
    if (value.empty())
        return;
    Registry& secrets = Secrets();
    vcom::ScopedLock guard(secrets.lock);
    const auto found = secrets.counts.find(value);
    if (found != secrets.counts.end() && --found->second == 0)
        secrets.counts.erase(found);
}

} // namespace

SecretText::SecretText(std::string value) : m_value(std::move(value)) { Register(m_value); }

SecretText::SecretText(const SecretText& other) : m_value(other.m_value) { Register(m_value); }

SecretText& SecretText::operator=(const SecretText& other) { return *this = other.m_value; }

SecretText& SecretText::operator=(std::string value) {
    Register(value);
    Unregister(m_value);
    m_value.swap(value);
    return *this;
}

SecretText::~SecretText() { Unregister(m_value); }

std::string MaskSecrets(std::string text) {
    std::vector<std::string> values;
    {
        Registry& secrets = Secrets();
        vcom::ScopedLock guard(secrets.lock);
        for (const auto& entry : secrets.counts)
            values.push_back(entry.first);
    }
    // A secret that contains another is masked whole.
    std::sort(values.begin(), values.end(),
              [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
    for (const std::string& value : values)
        for (std::size_t at = text.find(value); at != std::string::npos; at = text.find(value, at + sizeof Mask - 1))
            text.replace(at, value.size(), Mask);
    return text;
}

} // namespace tarnClientLib
