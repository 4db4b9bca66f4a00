#include "customer/CustomerSettings.h"

#include <cstdint>
#include <utility>

#include "customer/RegistryValue.h"
#include "messages/Trace.h"
#include "platform/Registry.h"
#include "platform/UserSecret.h"
#include "vcom/Codes.h"

namespace customer {

namespace {

const char kServletKey[] = "Software\\Orvane\\Tarn\\Config\\CMS Servlet Names";
const char kUserLogKey[] = "Software\\Orvane\\Tarn\\User Log";
const char kMostRecentlyUsed[] = "Most Recently Used";
const char kLoginSeparator = ';';

struct ServletDefault {
    const char* displayName;
    const char* servletName;
};

// In the order they are read and written.
const ServletDefault kServletDefaults[] = {
    {"Register Customer", "registerCust"},
    {"Update Customer", "updateCust"},
    {"Email Customer", "emailCust"},
    {ServletNames::kGetTicket, "getTicket"},
};

// A text written as REG_SZ with its terminator; the result does not matter
// to any caller.
void WriteText(platform::RegKey& key, const char* name, const std::string& text) {
    key.SetValue(name, platform::RegSz, reinterpret_cast<const unsigned char*>(text.c_str()),
                 static_cast<std::uint32_t>(text.size() + 1));
}

} // namespace

const char ServletNames::kGetTicket[] = "Get Ticket";

void ServletNames::Load() {
    platform::RegKey key;
    bool created = false;
    if (key.CreateOrOpen(kServletKey, platform::RegReadWrite, &created) != platform::RegOk) {
        tarnClientLib::TraceFailed("registry: cannot open or create %s for reading and writing", kServletKey);
        vcom::Fail(vcom::Failure);
    }
    std::map<std::string, std::string> names;
    for (const ServletDefault& entry : kServletDefaults) {
        if (created) {
            WriteText(key, entry.displayName, entry.servletName);
            names[entry.displayName] = entry.servletName;
            continue;
        }
        std::string bytes;
        switch (ReadValueBytes(key, entry.displayName, bytes)) {
        case ValueRead::Ok:
            names[entry.displayName] = TextUpToNul(bytes);
            break;
        case ValueRead::NoMemory:
            vcom::Fail(vcom::OutOfMemory);
        case ValueRead::Absent:
        case ValueRead::Unreadable:
            tarnClientLib::TraceFailed("registry: value \"%s\" under %s is missing or unreadable", entry.displayName,
                                       kServletKey);
            vcom::Fail(vcom::Failure);
        }
    }
    m_names.swap(names);
    m_loaded = true;
}

std::string ServletNames::Find(const std::string& displayName) const {
    const auto found = m_names.find(displayName);
    return found == m_names.end() ? std::string() : found->second;
}

void RememberedLogin::Load() {
    std::string bytes;
    if (!platform::LoadUserSecret(kUserLogKey, kMostRecentlyUsed, bytes) || bytes.size() <= 1)
        return;
    // A public name never holds the separator; a password may.
    const std::string text = TextUpToNul(bytes);
    const std::string::size_type separator = text.find(kLoginSeparator);
    if (separator == std::string::npos)
        return;
    m_publicName = text.substr(0, separator);
    m_password = text.substr(separator + 1);
}

void RememberedLogin::Save() const {
    // Stored as a REG_SZ text would be, with its terminator.
    const std::string text = m_publicName + kLoginSeparator + m_password.Reveal();
    platform::SaveUserSecret(kUserLogKey, kMostRecentlyUsed, text + '\0');
}

void RememberedLogin::Remember(const std::string& publicName, const std::string& password) {
    m_publicName = publicName;
    m_password = password;
    m_remembered = true;
}

} // namespace customer
