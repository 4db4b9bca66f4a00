#include "DataLoader.h"

#include <cctype>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <set>
#include <sstream>
#include <stdexcept>

#include "DataError.h"
#include "TrackedJson.h"

namespace devserver {

namespace {

using nlohmann::json;

// Reads one document, remembering where each value came from for errors.
class DataReader {
public:
    explicit DataReader(const TrackedJson& document) : m_document(document) {}

    ServiceData Read() {
        const json& root = Object("", m_document.value,
                                  {"products", "accounts", "contexts", "servlets", "lifetime", "unavailable", "faults"});
        ServiceData data;
        ForEach(root, "", "products", true, [&](const json& item, const std::string& at) {
            data.products.push_back(ReadProduct(item, at));
        });
        ForEach(root, "", "accounts", false, [&](const json& item, const std::string& at) {
            const json& account = Object(at, item, {"public", "password"});
            data.accounts.push_back({Text(account, at, "public"), Text(account, at, "password")});
        });
        ForEach(root, "", "contexts", false, [&](const json& item, const std::string& at) {
            data.contexts.push_back(ReadContext(item, at, data));
        });
        data.servlets = {"getTicket"};
        if (root.contains("servlets")) {
            data.servlets.clear();
            ForEach(root, "", "servlets", true, [&](const json& item, const std::string& at) {
                const std::string name = TextValue(item, at);
                if (name.find('/') != std::string::npos)
                    Fail(at, "a servlet name is used without its \"/\": \"" + name + "\"");
                data.servlets.push_back(name);
            });
        }
        if (root.contains("lifetime"))
            data.lifetime = Integer(root.at("lifetime"), "/lifetime", 1, std::numeric_limits<std::int32_t>::max());
        if (root.contains("unavailable"))
            data.unavailable = Flag(root.at("unavailable"), "/unavailable");
        ForEach(root, "", "faults", false, [&](const json& item, const std::string& at) {
            try {
                data.faults.push_back(ParseFaultRule(TextValue(item, at)));
            } catch (const std::invalid_argument& e) {
                Fail(at, e.what());
            }
        });
        return data;
    }

private:
    [[noreturn]] void Fail(const std::string& at, const std::string& reason) const {
        throw DataError(m_document.LineOf(at), reason);
    }

    static std::string Where(const std::string& at) { return at.empty() ? "the document" : at; }

    const json& Object(const std::string& at, const json& value, std::initializer_list<const char*> keys) const {
        if (!value.is_object())
            Fail(at, Where(at) + " must be an object");
        const std::set<std::string> known(keys.begin(), keys.end());
        for (const auto& member : value.items())
            if (!known.count(member.key()))
                Fail(at + "/" + member.key(), "unknown key \"" + member.key() + "\" in " + Where(at));
        return value;
    }

    template <class Visit>
    void ForEach(const json& object, const std::string& at, const char* key, bool required, Visit visit) const {
        const std::string here = at + "/" + key;
        if (!object.contains(key)) {
            if (required)
                Fail(at, Where(at) + " needs \"" + key + "\"");
            return;
        }
        const json& list = object.at(key);
        if (!list.is_array())
            Fail(here, std::string("\"") + key + "\" must be a list");
        for (std::size_t i = 0; i < list.size(); ++i)
            visit(list[i], here + "/" + std::to_string(i));
    }

    std::string TextValue(const json& value, const std::string& at) const {
        if (!value.is_string() || value.get<std::string>().empty())
            Fail(at, Where(at) + " must be a non-empty text");
        return value.get<std::string>();
    }

    std::string Text(const json& object, const std::string& at, const char* key, bool required = true) const {
        if (!object.contains(key)) {
            if (required)
                Fail(at, Where(at) + " needs \"" + key + "\"");
            return std::string();
        }
        return TextValue(object.at(key), at + "/" + key);
    }

    std::int32_t Integer(const json& value, const std::string& at, std::int64_t low, std::int64_t high) const {
        if (!value.is_number_integer())
            Fail(at, Where(at) + " must be a whole number");
        const std::int64_t number = value.is_number_unsigned() && value.get<std::uint64_t>() > std::uint64_t(high)
                                        ? high + 1
                                        : value.get<std::int64_t>();
        if (number < low || number > high)
            Fail(at, Where(at) + " must be from " + std::to_string(low) + " to " + std::to_string(high));
        return static_cast<std::int32_t>(number);
    }

    bool Flag(const json& value, const std::string& at) const {
        if (!value.is_boolean())
            Fail(at, Where(at) + " must be true or false");
        return value.get<bool>();
    }

    Product ReadProduct(const json& item, const std::string& at) const {
        const json& object = Object(at, item, {"name", "categories", "events"});
        Product product;
        product.name = Text(object, at, "name");
        ForEach(object, at, "categories", false, [&](const json& c, const std::string& cat) {
            const json& category = Object(cat, c, {"name", "servers"});
            Category read{Text(category, cat, "name"), {}};
            ForEach(category, cat, "servers", true, [&](const json& s, const std::string& sat) {
                read.servers.push_back(ReadServer(s, sat));
            });
            product.categories.push_back(std::move(read));
        });
        ForEach(object, at, "events", false, [&](const json& e, const std::string& eat) {
            product.events.push_back(ReadEvent(e, eat));
        });
        return product;
    }

    Server ReadServer(const json& item, const std::string& at) const {
        const json& object = Object(at, item, {"name", "address", "uc", "att1"});
        Server server;
        server.name = Text(object, at, "name");
        server.address = Text(object, at, "address");
        if (server.address.find(':') == std::string::npos)
            Fail(at + "/address", "a server address is \"<IP Address>:<Port>\", not \"" + server.address + "\"");
        if (!object.contains("uc"))
            Fail(at, Where(at) + " needs \"uc\"");
        server.uc = Integer(object.at("uc"), at + "/uc", std::numeric_limits<std::int32_t>::min(),
                            std::numeric_limits<std::int32_t>::max());
        server.att1 = Text(object, at, "att1", false);
        return server;
    }

    Event ReadEvent(const json& item, const std::string& at) const {
        const json& object = Object(at, item, {"name", "open", "members"});
        Event event;
        event.name = Text(object, at, "name");
        if (object.contains("open"))
            event.open = Flag(object.at("open"), at + "/open");
        if (object.contains("members")) {
            event.everyone = false;
            ForEach(object, at, "members", true, [&](const json& m, const std::string& mat) {
                event.members.push_back(TextValue(m, mat));
            });
        }
        return event;
    }

    ContextId ReadContext(const json& item, const std::string& at, const ServiceData& data) const {
        const json& object = Object(at, item, {"id", "account", "product", "expired"});
        ContextId context;
        context.id = Text(object, at, "id");
        context.account = Text(object, at, "account");
        if (!data.FindAccount(context.account))
            Fail(at + "/account", "context id \"" + context.id + "\" names the unknown account \"" +
                                      context.account + "\"");
        context.product = Text(object, at, "product", false);
        if (!context.product.empty() && !data.FindProduct(context.product))
            Fail(at + "/product", "context id \"" + context.id + "\" names the unknown product \"" +
                                      context.product + "\"");
        if (object.contains("expired"))
            context.expired = Flag(object.at("expired"), at + "/expired");
        return context;
    }

    const TrackedJson& m_document;
};

} // namespace

ServiceData LoadServiceData(const std::string& jsonText) {
    const TrackedJson document = ParseTrackedJson(jsonText);
    return DataReader(document).Read();
}

ServiceData LoadServiceDataFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw std::runtime_error(path + ": cannot be read");
    std::ostringstream text;
    text << file.rdbuf();
    try {
        return LoadServiceData(text.str());
    } catch (const DataError& e) {
        throw std::runtime_error(path + ":" + std::to_string(e.Line()) + ": " + e.Reason());
    }
}

} // namespace devserver
