// The customer settings kept in the registry: the servlet names of the
// customer operations and the last login that succeeded. Both live in
// process-wide state (SharedState.h), which serialises every use of them.
#ifndef TARN_CUSTOMER_CUSTOMERSETTINGS_H
#define TARN_CUSTOMER_CUSTOMERSETTINGS_H

#include <map>
#include <string>

#include "messages/SecretText.h"

namespace customer {

// Display name -> servlet name, from "CMS Servlet Names".
class ServletNames {
public:
    // The display name whose servlet serves every ticket exchange.
    static const char kGetTicket[];

    bool IsLoaded() const { return m_loaded; }

    // Reads all four names from an existing key, or creates the key with the
    // defaults as one registry change. Throws -1 (key or a value unusable) or
    // -4 (memory ran short); the table then stays unloaded and the registry
    // as it was, so that the next attempt reads or creates again.
    void Load();

    // The servlet name of displayName; empty when there is none.
    std::string Find(const std::string& displayName) const;

private:
    std::map<std::string, std::string> m_names;
    bool m_loaded = false;
};

// The stored bytes of "Most Recently Used" as a public name and a password:
// the text up to the first NUL, split at its first ";" (a password may hold
// more). False, with both left alone, for a value of at most 1 byte or a text
// without ";".
bool SplitRememberedLogin(const std::string& bytes, std::string& publicName, std::string& password);

// The last public name and password that led to a ticket, in "Most Recently Used".
class RememberedLogin {
public:
    // True once a login succeeded in this process; never cleared.
    bool IsRemembered() const { return m_remembered; }
    const std::string& PublicName() const { return m_publicName; }
    const std::string& Password() const { return m_password.Reveal(); }

    // Takes the stored pair when there is one. Never fails; leaves the flag alone.
    void Load();
    // Writes the pair back, only into an existing key. Never fails.
    void Save() const;
    // A login succeeded with these values.
    void Remember(const std::string& publicName, const std::string& password);

private:
    std::string m_publicName;
    tarnClientLib::SecretText m_password;
    bool m_remembered = false;
};

} // namespace customer

#endif
