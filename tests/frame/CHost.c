// A C host of the library, through <tarnclient/tarn.h> only, against a
// tarn-devserver with its built-in data. Built as C99 with -pedantic, and
// for Windows too, where it runs under Wine.
//
//   c_host services   the server answers
//   c_host hang       the server never answers (tarn-devserver --fault hang)
//
// The server's HOST:PORT comes in TARN_TEST_SERVER
// (tests/support/with_devserver.sh). The server location is the process's
// first, so each server needs a process of its own. One line per failed
// check; the exit status is the number of failed checks.
#define _POSIX_C_SOURCE 200809L

#include <pthread.h>
#include <sched.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <tarnclient/tarn.h>

static int failures;
static int checks;

#define CHECK(condition) check((condition), #condition, __LINE__)

static void check(int passed, const char* what, int line) {
    ++checks;
    if (!passed) {
        ++failures;
        printf("FAIL (line %d): %s\n", line, what);
    }
}

static int same(const char* a, const char* b) { return a && b && strcmp(a, b) == 0; }

static int starts_with(const char* text, const char* start) { return strncmp(text, start, strlen(start)) == 0; }

// 32 hexadecimal digits, as the development server makes them.
static int is_ticket(const char* text) {
    return text && strlen(text) == 32 && strspn(text, "0123456789ABCDEFabcdef") == 32;
}

// ---- the trace sink: counts lines of interest, from any thread ----

struct trace_lines {
    pthread_mutex_t lock;
    int lookups;       // "Enter Function: AddressManager::GetServerAddressEnum"
    int failed_lines;  // "failed: "
    int password_seen; // a password in a line: must never happen
};

static void TARN_CDECL on_trace_line(void* context, const char* line) {
    struct trace_lines* lines = (struct trace_lines*)context;
    pthread_mutex_lock(&lines->lock);
    lines->lookups += strstr(line, "Enter Function: AddressManager::GetServerAddressEnum") != NULL;
    lines->failed_lines += strstr(line, "failed: ") != NULL;
    lines->password_seen += strstr(line, "wonderland1") != NULL;
    pthread_mutex_unlock(&lines->lock);
}

// ---- the failure of a client's last call ----

struct failure {
    int32_t kind;
    int32_t length;
    char cause[512];
};

static struct failure last_failure(tarn_client* client) {
    struct failure failure;
    failure.kind = -1;
    failure.length = tarn_client_last_failure(client, failure.cause, sizeof failure.cause, &failure.kind);
    return failure;
}

// ---- a host's login display ----

struct login_script {
    const char* names[3];     // what each prompt answers; NULL: give up with 3
    const char* passwords[3];
    int prompts;
    int reports;
    int32_t last_report;
    char proposed[3][40];     // the public name each prompt proposed
};

static void set_text(char field[40], const char* text) {
    strncpy(field, text, 39);
    field[39] = '\0';
}

static int32_t TARN_CDECL scripted_prompt(void* context, tarn_login* login) {
    struct login_script* script = (struct login_script*)context;
    const int pass = script->prompts++;
    if (pass >= 3 || !script->names[pass])
        return 3;
    memcpy(script->proposed[pass], login->public_name, 40);
    set_text(login->public_name, script->names[pass]);
    set_text(login->password, script->passwords[pass]);
    login->action = TARN_LOGIN_WITH_PASSWORD;
    return 0;
}

static int32_t TARN_CDECL counting_report(void* context, int32_t code) {
    struct login_script* script = (struct login_script*)context;
    ++script->reports;
    script->last_report = code;
    return 0;
}

static int32_t TARN_CDECL never_prompted(void* context, tarn_login* login) {
    (void)context;
    (void)login;
    return 5;
}

// ---- against a server that answers ----

struct lookup_row {
    const char* what;
    const char* product;
    const char* category;
    const char* name;
    const char* att1;
    int32_t code;
    const char* names; // the servers' names in order, joined by ' '
    int32_t kind;      // of the last failure
};

static void check_lookups(tarn_client* client) {
    static const struct lookup_row rows[] = {
        {.what = "all servers", .product = "TARNQUEST", .category = "game", .name = "any", .code = 0,
         .names = "alpha beta gamma", .kind = TARN_FAILED_NONE},
        {.what = "att1, product in lower case", .product = "tarnquest", .category = "game", .name = "any",
         .att1 = "eu", .code = 0, .names = "alpha gamma", .kind = TARN_FAILED_NONE},
        {.what = "nothing matches", .product = "NOSUCH", .category = "game", .name = "any", .code = 0, .names = "",
         .kind = TARN_FAILED_NONE},
        {.what = "no product", .product = "", .category = "game", .name = "any", .code = TARN_INVALID_ARGUMENT,
         .kind = TARN_FAILED_BAD_ARGUMENT},
        {.what = "no name", .product = "TARNQUEST", .category = "game", .name = NULL, .code = TARN_INVALID_ARGUMENT,
         .kind = TARN_FAILED_BAD_ARGUMENT},
    };
    size_t r;
    for (r = 0; r < sizeof rows / sizeof rows[0]; ++r) {
        const struct lookup_row* row = &rows[r];
        tarn_servers* servers = (tarn_servers*)&servers; // must be overwritten
        char names[128] = "";
        int32_t i;
        const int32_t code = tarn_servers_find(client, row->product, row->category, row->name, row->att1, &servers);
        const struct failure failure = last_failure(client);
        printf("lookup %s: %d\n", row->what, (int)code);
        CHECK(code == row->code);
        CHECK(failure.kind == row->kind);
        if (row->code != 0) {
            CHECK(servers == NULL);
            continue;
        }
        CHECK(failure.length == 0 && failure.cause[0] == '\0');
        for (i = 0; i < tarn_servers_count(servers); ++i) {
            if (i > 0)
                strcat(names, " ");
            strcat(names, tarn_servers_name(servers, i));
        }
        CHECK(same(names, row->names));
        tarn_servers_free(servers);
    }
}

// What a list gives outside itself, and without a list. (What it gives
// inside: the bindings' server records.)
static void check_list_bounds(tarn_client* client) {
    tarn_servers* servers = NULL;
    CHECK(tarn_servers_find(client, "TARNQUEST", "game", "alpha", NULL, &servers) == 0);
    CHECK(tarn_servers_count(servers) == 1);
    CHECK(tarn_servers_name(servers, 1) == NULL && tarn_servers_host(servers, -1) == NULL);
    CHECK(tarn_servers_port(servers, 1) == TARN_INVALID_ARGUMENT &&
          tarn_servers_uc(servers, -1) == TARN_INVALID_ARGUMENT);
    CHECK(tarn_servers_count(NULL) == TARN_INVALID_ARGUMENT && tarn_servers_address(NULL, 0) == NULL);
    tarn_servers_free(servers);
    tarn_servers_free(NULL);
    CHECK(tarn_servers_find(client, "TARNQUEST", "game", "any", NULL, NULL) == TARN_INVALID_OUT_POINTER);
}

// The cause of a refused lookup, whole and cut to a caller's small buffer.
static void check_failure_text(tarn_client* client) {
    tarn_servers* servers = NULL;
    char small[4];
    int32_t kind = -1;
    struct failure failure;
    CHECK(tarn_servers_find(client, "TARNQUEST", "", "any", NULL, &servers) == TARN_INVALID_ARGUMENT);
    failure = last_failure(client);
    printf("cause: %s\n", failure.cause);
    CHECK(starts_with(failure.cause, "The value provided in the Service Category input argument"));
    CHECK(failure.length == (int32_t)strlen(failure.cause));
    CHECK(tarn_client_last_failure(client, small, sizeof small, &kind) == failure.length);
    CHECK(same(small, "The") && kind == TARN_FAILED_BAD_ARGUMENT);
    CHECK(tarn_client_last_failure(client, NULL, 0, NULL) == failure.length);
    CHECK(tarn_client_last_failure(client, NULL, 8, NULL) == TARN_INVALID_OUT_POINTER);
    CHECK(tarn_client_last_failure(NULL, small, sizeof small, &kind) == TARN_INVALID_ARGUMENT);
}

static void check_login(tarn_client* client) {
    struct login_script script = {.names = {"alice", "alice"}, .passwords = {"wrongpass1", "wonderland1"}};
    struct login_script giving_up = {.names = {NULL}};
    char* ticket = NULL;
    // A wrong password is reported, and the prompt comes again proposing the name entered.
    CHECK(tarn_ticket_get(client, "TARNQUEST", "launch", NULL, NULL, 0, scripted_prompt, counting_report, &script,
                          &ticket) == 0);
    CHECK(is_ticket(ticket));
    CHECK(script.prompts == 2 && script.reports == 1 && script.last_report == TARN_APP_WRONG_PASSWORD);
    CHECK(same(script.proposed[1], "alice"));
    CHECK(last_failure(client).kind == TARN_FAILED_NONE);
    tarn_free(ticket);

    // A prompt that gives up ends the call with its own value.
    ticket = (char*)&ticket;
    CHECK(tarn_ticket_get(client, "TARNQUEST", "launch", NULL, NULL, 0, scripted_prompt, NULL, &giving_up, &ticket) ==
          3);
    CHECK(ticket == NULL);
}

// (The store: the bindings' stored tickets.)
static void check_context_ticket(tarn_client* client) {
    struct login_script script = {.names = {NULL}};
    char* ticket = NULL;
    CHECK(tarn_ticket_get(client, "TARNQUEST", "launch", "ctx-alice-1", "en", 0, never_prompted, NULL, NULL, &ticket) ==
          0);
    CHECK(is_ticket(ticket));
    tarn_free(ticket);

    // Refused: reported, then a failure with the server's answer as its cause.
    CHECK(tarn_ticket_get(client, "TARNQUEST", "launch", "ctx-expired", NULL, 0, never_prompted, counting_report,
                          &script, &ticket) == TARN_FAILURE);
    CHECK(script.reports == 1 && script.last_report == TARN_APP_AUTHORIZATION_FAILED);
    CHECK(last_failure(client).kind == TARN_FAILED_REFUSED);

    // The prompt is required; so is the place for the ticket.
    CHECK(tarn_ticket_get(client, "TARNQUEST", "launch", "ctx-alice-1", NULL, 0, NULL, NULL, NULL, &ticket) ==
          TARN_INVALID_ARGUMENT);
    CHECK(tarn_ticket_get(client, "TARNQUEST", "launch", "ctx-alice-1", NULL, 0, never_prompted, NULL, NULL, NULL) ==
          TARN_INVALID_OUT_POINTER);
    CHECK(tarn_ticket_get(NULL, "TARNQUEST", "launch", "ctx-alice-1", NULL, 0, never_prompted, NULL, NULL, &ticket) ==
          TARN_INVALID_ARGUMENT);
}

static void check_machine_id(void) {
    char id[64];
    char again[64];
    char cut[5];
    const int32_t length = tarn_machine_id(NULL, 0);
    printf("machine id: %d bytes\n", (int)length);
    CHECK(length > 0);
    CHECK(tarn_machine_id(id, sizeof id) == length && (int32_t)strlen(id) == length);
    CHECK(tarn_machine_id(again, sizeof again) == length && same(id, again));
    CHECK(tarn_machine_id(cut, sizeof cut) == length && strlen(cut) == 4 && strncmp(cut, id, 4) == 0);
    CHECK(tarn_machine_id(NULL, 4) == TARN_INVALID_OUT_POINTER);
}

static void run_services(const char* address) {
    struct trace_lines lines = {.lookups = 0};
    tarn_client* client = (tarn_client*)&client;
    int lookups_seen;
    pthread_mutex_init(&lines.lock, NULL);
    tarn_set_trace(on_trace_line, &lines);

    CHECK(tarn_client_open(address, NULL) == TARN_INVALID_OUT_POINTER);
    CHECK(tarn_client_open(address, &client) == 0 && client != NULL);
    if (!client)
        return;
    CHECK(last_failure(client).kind == TARN_FAILED_NONE && last_failure(client).length == 0);
    check_lookups(client);
    check_list_bounds(client);
    check_failure_text(client);
    check_login(client);
    check_context_ticket(client);
    check_machine_id();
    CHECK(tarn_client_set_deadline(client, -1) == TARN_INVALID_ARGUMENT);
    CHECK(tarn_client_set_deadline(NULL, 100) == TARN_INVALID_ARGUMENT);
    CHECK(tarn_client_set_deadline(client, 0) == 0);
    CHECK(tarn_client_cancel(NULL) == TARN_INVALID_ARGUMENT);

    // 5 table rows, one lookup of alpha, one without a category.
    pthread_mutex_lock(&lines.lock);
    lookups_seen = lines.lookups;
    printf("trace: %d lookups, %d failed: lines\n", lookups_seen, lines.failed_lines);
    CHECK(lookups_seen == 7);
    CHECK(lines.failed_lines >= 3);
    CHECK(lines.password_seen == 0);
    pthread_mutex_unlock(&lines.lock);
    tarn_set_trace(NULL, NULL);
    {
        tarn_servers* servers = NULL;
        CHECK(tarn_servers_find(client, "TARNQUEST", "game", "any", NULL, &servers) == 0);
        tarn_servers_free(servers);
    }
    CHECK(lines.lookups == lookups_seen);

    tarn_client_close(client);
    tarn_client_close(NULL);
    pthread_mutex_destroy(&lines.lock);
}

// ---- against a server that never answers ----

struct lookup_call {
    tarn_client* client;
    int32_t code;
    tarn_servers* servers;
};

static void* find_servers(void* context) {
    struct lookup_call* call = (struct lookup_call*)context;
    call->code = tarn_servers_find(call->client, "TARNQUEST", "game", "any", NULL, &call->servers);
    return NULL;
}

struct ticket_call {
    tarn_client* client;
    int32_t code;
    char* ticket;
};

static void* get_ticket_by_context(void* context) {
    struct ticket_call* call = (struct ticket_call*)context;
    call->code = tarn_ticket_get(call->client, "TARNQUEST", "launch", "ctx-alice-1", NULL, 0, never_prompted, NULL,
                                 NULL, &call->ticket);
    return NULL;
}

static void run_hang(const char* address) {
    tarn_client* client = NULL;
    pthread_t thread;
    struct lookup_call lookup;
    struct ticket_call ticket;
    struct failure failure;
    CHECK(tarn_client_open(address, &client) == 0);
    if (!client)
        return;

    // A lookup waiting for the reply, cancelled from this thread.
    lookup.client = client;
    lookup.code = 1;
    pthread_create(&thread, NULL, find_servers, &lookup);
    while (tarn_client_cancel(client) != 0)
        sched_yield();
    pthread_join(thread, NULL);
    failure = last_failure(client);
    printf("cancelled lookup: %d, %s\n", (int)lookup.code, failure.cause);
    CHECK(lookup.code == TARN_CANCELLED && lookup.servers == NULL);
    CHECK(failure.kind == TARN_FAILED_CANCELLED && starts_with(failure.cause, "cancelled while "));

    // The same for a ticket.
    ticket.client = client;
    ticket.ticket = NULL;
    pthread_create(&thread, NULL, get_ticket_by_context, &ticket);
    while (tarn_client_cancel(client) != 0)
        sched_yield();
    pthread_join(thread, NULL);
    CHECK(ticket.code == TARN_CANCELLED && ticket.ticket == NULL);
    CHECK(last_failure(client).kind == TARN_FAILED_CANCELLED);

    // A deadline bounds both.
    CHECK(tarn_client_set_deadline(client, 200) == 0);
    find_servers(&lookup);
    failure = last_failure(client);
    printf("lookup past its deadline: %d, %s\n", (int)lookup.code, failure.cause);
    CHECK(lookup.code == TARN_FAILURE && failure.kind == TARN_FAILED_PAST_DEADLINE);
    get_ticket_by_context(&ticket);
    CHECK(ticket.code == TARN_FAILURE && last_failure(client).kind == TARN_FAILED_PAST_DEADLINE);

    tarn_client_close(client);
}

int main(int argc, char** argv) {
    const char* address = getenv("TARN_TEST_SERVER");
    if (argc != 2 || (!same(argv[1], "services") && !same(argv[1], "hang")) || !address) {
        fprintf(stderr, "usage: TARN_TEST_SERVER=HOST:PORT c_host services|hang\n");
        return 2;
    }
    CHECK(same(tarn_version(), TARN_EXPECTED_VERSION));
    if (same(argv[1], "services"))
        run_services(address);
    else
        run_hang(address);
    printf("%s: %d of %d checks failed\n", argv[1], failures, checks);
    return failures;
}
