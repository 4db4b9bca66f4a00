// What the development server knows: products with their server categories
// and events, accounts, context ids, servlet names and fault rules.
#ifndef TARN_TOOLS_DEVSERVER_SERVICEDATA_H
#define TARN_TOOLS_DEVSERVER_SERVICEDATA_H

#include <cstdint>
#include <string>
#include <vector>

#include "Fault.h"

namespace devserver {

struct Server {
    std::string name;
    std::string address; // "<IP Address>:<Port>"
    std::int32_t uc = 0;
    std::string att1; // empty: the server has none
};

struct Category {
    std::string name;
    std::vector<Server> servers;
};

struct Event {
    std::string name;
    bool open = true;
    bool everyone = true;             // any account may join
    std::vector<std::string> members; // else only these public names
};

struct Product {
    std::string name;
    std::vector<Category> categories;
    std::vector<Event> events;
};

struct Account {
    std::string publicName;
    std::string password;
};

struct ContextId {
    std::string id;
    std::string account; // a public name of accounts
    std::string product; // empty: any product
    bool expired = false;
};

struct ServiceData {
    std::vector<Product> products;
    std::vector<Account> accounts;
    std::vector<ContextId> contexts;
    std::vector<std::string> servlets; // served at "/" + name
    std::int32_t lifetime = 3600;      // seconds, sent with every ticket
    bool unavailable = false;          // every reply carries status 9001
    std::vector<FaultRule> faults;

    // Product names compare without regard to letter case (the library
    // upper-cases the product of a ticket request); every other name exactly,
    // but public names of accounts without regard to case.
    const Product* FindProduct(const std::string& name) const;
    const Account* FindAccount(const std::string& publicName) const;
    const ContextId* FindContext(const std::string& id) const;
    bool HasServlet(const std::string& name) const;
};

const Category* FindCategory(const Product& product, const std::string& name);
const Event* FindEvent(const Product& product, const std::string& name);
bool MayJoin(const Event& event, const std::string& publicName);
bool SameIgnoringCase(const std::string& a, const std::string& b);

} // namespace devserver

#endif
