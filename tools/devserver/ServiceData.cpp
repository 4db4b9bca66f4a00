#include "ServiceData.h"

#include <algorithm>
#include <cctype>

namespace devserver {

namespace {

template <class T, class Match>
const T* FindIn(const std::vector<T>& items, Match match) {
    auto found = std::find_if(items.begin(), items.end(), match);
    return found == items.end() ? nullptr : &*found;
}

} // namespace

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

const Product* ServiceData::FindProduct(const std::string& name) const {
    return FindIn(products, [&](const Product& p) { return SameIgnoringCase(p.name, name); });
}

const Account* ServiceData::FindAccount(const std::string& publicName) const {
    return FindIn(accounts, [&](const Account& a) { return SameIgnoringCase(a.publicName, publicName); });
}

const ContextId* ServiceData::FindContext(const std::string& id) const {
    return FindIn(contexts, [&](const ContextId& c) { return c.id == id; });
}

bool ServiceData::HasServlet(const std::string& name) const {
    return std::find(servlets.begin(), servlets.end(), name) != servlets.end();
}

const Category* FindCategory(const Product& product, const std::string& name) {
    return FindIn(product.categories, [&](const Category& c) { return c.name == name; });
}

const Event* FindEvent(const Product& product, const std::string& name) {
    return FindIn(product.events, [&](const Event& e) { return e.name == name; });
}

bool MayJoin(const Event& event, const std::string& publicName) {
    return event.everyone || std::any_of(event.members.begin(), event.members.end(),
                                         [&](const std::string& m) { return SameIgnoringCase(m, publicName); });
}

} // namespace devserver
