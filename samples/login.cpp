// Gets a login ticket for a product's event, asking for the public name and
// password on the console until the server accepts them or input ends.
//
//   login PRODUCT EVENT [HOST:PORT]
#include <cstdio>
#include <cstring>

#include <tarnclient/TarnClient.h>

using namespace tarnclient;

namespace {

// What PromptLogin answers to give up; GetTicket returns it.
const int32 kGaveUp = 2;

// Reads one line into field; an empty line keeps what the field proposes.
bool Ask(const char* question, char (&field)[40]) {
    std::printf("%s: ", question);
    std::fflush(stdout);
    char line[256];
    if (!std::fgets(line, sizeof line, stdin))
        return false;
    line[std::strcspn(line, "\r\n")] = '\0';
    if (line[0] != '\0') {
        std::strncpy(field, line, sizeof field - 1);
        field[sizeof field - 1] = '\0';
    }
    return true;
}

// The library calls it on the thread that called GetTicket.
class ConsolePrompt : public DisplayCallback {
public:
    int32 PromptLogin(LoginPrompt* prompt) override {
        // The library proposes the last login; a real host hides the password.
        if (prompt->publicName[0] != '\0')
            std::printf("(Enter keeps %s and its password.)\n", prompt->publicName);
        if (!Ask("public name", prompt->publicName) || !Ask("password", prompt->password))
            return kGaveUp;
        prompt->action = 0; // log in with the name and password
        return 0;
    }
    // After a correctable error (2003 to 2006) the library prompts again.
    int32 ReportError(int32 code, int32) override {
        std::printf("refused: %s (%d)\n", AppErrorText(code), code);
        return 0;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: login PRODUCT EVENT [HOST:PORT]\n");
        return 2;
    }
    Ref<IComponentFactory> factory(TarnClientLib_GetComponentFactory());
    int32 err = 0;
    auto customers = Ref<ICustomerManager>::Adopt(
        factory->CreateCustomerManager(ICustomerManager::Id, &err, argc > 3 ? argv[3] : nullptr));
    if (!customers) {
        std::fprintf(stderr, "login: no customer manager (code %d)\n", err);
        return 1;
    }
    ConsolePrompt prompt;
    char* ticket = nullptr;
    const int32 result = customers->GetTicket(argv[1], argv[2], nullptr, nullptr, 0, &prompt, &ticket);
    if (result == 0) {
        std::printf("ticket: %s\n", ticket);
        TarnClientLib_MemFree(ticket);
        return 0;
    }
    if (result == kGaveUp) {
        std::printf("\nno ticket: given up\n");
        return 1;
    }
    int32 kind = 0;
    char* cause = customers.As<ICallControl>()->GetLastFailure(&kind);
    std::fprintf(stderr, "login: no ticket (code %d, kind %d): %s\n", result, kind, cause ? cause : "");
    TarnClientLib_MemFree(cause);
    return 1;
}
