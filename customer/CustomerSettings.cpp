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

// A text written as REG_SZ with its terminator.
std::int32_t WriteText(platform::RegKey& key, const char* name, const std::string& text) {
    return key.SetValue(name, platform::RegSz, reinterpret_cast<const unsigned char*>(text.c_str()),
                        static_cast<std::uint32_t>(text.size() + 1));
}

// The four names of an existing key; each must be there.
std::map<std::string, std::string> ReadServletNames(platform::RegKey& key) {
    std::map<std::string, std::string> names;
    for (const ServletDefault& entry : kServletDefaults) {
        std::string bytes;
        switch (ReadValueBytes(key, entry.displayName, bytes)) {
        case ValueRead::Ok:
            names[entry.displayName] = TextUpToNul(bytes);
            break;
        case ValueRead::NoMemory:
            vcom::Fail(vcom::OutOfMemory);
        case ValueRead::Absent:
        case ValueRead::Unreadable:
            tarnClientLib::TraceFailed(tarnclient::CallNotReached, "registry: value \"%s\" under %s is missing or unreadable", entry.displayName,
                                       kServletKey);
            vcom::Fail(vcom::Failure);
        }
    }
    return names;
}

// Creates the key with the four defaults as one change, so that a failure on
// the way leaves no key without its names behind (which would fail every
// later process). Another process may have created it first: then it is read.
std::map<std::string, std::string> CreateServletNames() {
    platform::RegTransaction change;
    platform::RegKey key;
    bool created = false;
    std::int32_t result = key.CreateOrOpen(kServletKey, platform::RegReadWrite, &created, change);
    if (result != platform::RegOk) {
        tarnClientLib::TraceFailed(tarnclient::CallNotReached, "registry: cannot open or create %s for reading and writing", kServletKey);
        FailWith(result);
    }
    if (!created)
        return ReadServletNames(key);
    std::map<std::string, std::string> names;
    for (const ServletDefault& entry : kServletDefaults) {
        names[entry.displayName] = entry.servletName;
        result = WriteText(key, entry.displayName, entry.servletName);
        if (result != platform::RegOk)
            FailWith(result);
    }
    key.Close();
    result = change.Commit();
    if (result != platform::RegOk)
        FailWith(result);
    return names;
}

} // namespace

const char ServletNames::kGetTicket[] = "Get Ticket";

void ServletNames::Load() {
    std::map<std::string, std::string> names;
    {
        // An existing key is only read, without holding up other processes.
        platform::RegKey key;
        const std::int32_t opened = key.Open(kServletKey, platform::RegRead);
        if (opened == platform::RegOk)
            names = ReadServletNames(key);
        else if (platform::IsAbsent(opened))
            names = CreateServletNames();
        else {
            tarnClientLib::TraceFailed(tarnclient::CallNotReached, "registry: cannot open %s for reading", kServletKey);
            FailWith(opened);
        }
    }
    m_names.swap(names);
    m_loaded = true;
}

std::string ServletNames::Find(const std::string& displayName) const {
    const auto found = m_names.find(displayName);
    return found == m_names.end() ? std::string() : found->second;
}

bool SplitRememberedLogin(const std::string& bytes, std::string& publicName, std::string& password) {
    if (bytes.size() <= 1)
        return false;
    // A public name never holds the separator; a password may.
    const std::string text = TextUpToNul(bytes);
    const std::string::size_type separator = text.find(kLoginSeparator);
    if (separator == std::string::npos)
        return false;
    std::string name = text.substr(0, separator);
    password = text.substr(separator + 1);
    publicName.swap(name);
    return true;
}

void RememberedLogin::Load() {
    std::string bytes;
    std::string publicName;
    std::string password;
    if (!platform::LoadUserSecret(kUserLogKey, kMostRecentlyUsed, bytes) ||
        !SplitRememberedLogin(bytes, publicName, password))
        return;
    m_publicName.swap(publicName);
    m_password = password;
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
