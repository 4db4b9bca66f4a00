// The C interface's tickets: the host's two callbacks stand in for its
// IDisplayCallback.
#include <cstddef>

#include "frame/CApi.h"
#include "platform/Export.h"

namespace {

using tarnclient::LoginPrompt;

// The library hands the host's prompt its own LoginPrompt.
static_assert(sizeof(tarn_login) == sizeof(LoginPrompt) &&
                  offsetof(tarn_login, public_name) == offsetof(LoginPrompt, publicName) &&
                  offsetof(tarn_login, password) == offsetof(LoginPrompt, password) &&
                  offsetof(tarn_login, context_id) == offsetof(LoginPrompt, contextId) &&
                  offsetof(tarn_login, action) == offsetof(LoginPrompt, action) &&
                  sizeof(tarn_login::public_name) == sizeof(LoginPrompt::publicName) &&
                  sizeof(tarn_login::password) == sizeof(LoginPrompt::password) &&
                  sizeof(tarn_login::context_id) == sizeof(LoginPrompt::contextId),
              "tarn_login has LoginPrompt's layout");

// Lives for one tarn_ticket_get, on its stack.
class HostDisplay : public tarnclient::DisplayCallback {
public:
    HostDisplay(tarn_prompt_fn prompt, tarn_report_fn report, void* context)
        : m_prompt(prompt), m_report(report), m_context(context) {}

    tarnclient::int32 PromptLogin(LoginPrompt* prompt) override {
        return m_prompt(m_context, reinterpret_cast<tarn_login*>(prompt));
    }
    // Without a report the login goes on, as after a report that returns 0.
    tarnclient::int32 ReportError(tarnclient::int32 code, tarnclient::int32) override {
        return m_report ? m_report(m_context, code) : 0;
    }

private:
    tarn_prompt_fn m_prompt;
    tarn_report_fn m_report;
    void* m_context;
};

} // namespace

extern "C" {

TARN_EXPORT int32_t TARN_CDECL tarn_ticket_get(tarn_client* client, const char* product, const char* event_name,
                                               const char* context_id, const char* language, int32_t use_stored,
                                               tarn_prompt_fn prompt, tarn_report_fn report, void* context,
                                               char** ticket) {
    if (!client)
        return TARN_INVALID_ARGUMENT;
    HostDisplay display(prompt, report, context);
    // No prompt is no display: the customer manager refuses that itself.
    return client->Customers().GetTicket(product, event_name, context_id, language, use_stored,
                                         prompt ? &display : nullptr, ticket);
}

TARN_EXPORT int32_t TARN_CDECL tarn_ticket_put(tarn_client* client, const char* product, const char* event_name,
                                               const char* ticket) {
    if (!client)
        return TARN_INVALID_ARGUMENT;
    return client->Customers().PutTicket(product, event_name, ticket);
}

TARN_EXPORT int32_t TARN_CDECL tarn_ticket_remove(tarn_client* client, const char* product,
                                                  const char* event_name) {
    if (!client)
        return TARN_INVALID_ARGUMENT;
    return client->Customers().RemoveTicket(product, event_name);
}

} // extern "C"
