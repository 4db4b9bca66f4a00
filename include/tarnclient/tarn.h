/** \file tarn.h
 * TarnClient's C interface, for hosts in C and for any language with a C
 * foreign-function interface (C# P/Invoke, Python ctypes, ...). C99, and
 * valid C++: a C++ host may include it beside <tarnclient/TarnClient.h>
 * (for tarn_version, for instance).
 *
 * \par Contract
 * Exported by the same library as <tarnclient/TarnClient.h>
 * (libTarnClient.so.1, TarnClient.dll; on Windows by name, at ordinals 5 and
 * up, all __cdecl). A thin layer over the library's components: the same
 * codes, the same trace, the same bounds. No call throws; no C++ type crosses
 * this interface.
 *
 * \par Codes
 * 0 is success and negative values are failures (tarn_code below). A
 * positive result is no failure but says that nothing was delivered: 1
 * from tarn_ticket_get (no stored ticket), tarn_ticket_remove (none stored)
 * and tarn_client_cancel (no call in flight), and the prompt's own positive
 * answer from tarn_ticket_get; functions that copy a text return its
 * length. Handles are opaque. A text the library hands out is
 * either borrowed (valid until the handle that owns it is freed; do not free
 * it) or the caller's, freed with tarn_free; each function says which. Texts
 * copied into a caller's buffer are cut to size - 1 bytes and always
 * terminated (when size is not 0); the result is then the full length, so a
 * caller whose buffer was too small can call again with result + 1. Texts are
 * NUL-terminated bytes; names and passwords are ASCII in practice.
 *
 * \par Server location
 * tarn_client_open takes "<IP Address>:<Port>" or NULL for the configured
 * location (Windows: the registry value "QAS Address" under
 * `HKEY_LOCAL_MACHINE\Software\Orvane\Tarn\Config`, 32-bit view; Linux:
 * the same value in the library's registry database). The first successful
 * location fixes it for the life of the process: every later client talks
 * to that server.
 *
 * \par Threads
 * Every function may be called from any thread. One client may be
 * used by several threads at once; tarn_client_cancel is meant for that.
 * tarn_client_close must be the client's last use: no call on it may be in
 * flight or follow. A servers list never changes and may be read by any
 * number of threads. Callbacks run on the thread that made the call, with no
 * lock of the library held.
 *
 * \par Diagnostics
 * Why a call failed: tarn_client_last_failure. Everything the
 * library does: the trace, to the file or "stderr" named by the environment
 * variable TARN_TRACE, and to the sink of tarn_set_trace. Passwords and
 * tickets never appear in either.
 */
#ifndef TARNCLIENT_C_INTERFACE_H
#define TARNCLIENT_C_INTERFACE_H

#include <stdint.h>

/** The calling convention of every function and callback below: `__cdecl` on Windows. */
#if defined(_WIN32)
#define TARN_CDECL __cdecl
#else
#define TARN_CDECL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/** Result codes, the same as the C++ interface's (vcom). */
enum tarn_code {
    TARN_SUCCESS = 0,             /**< done */
    TARN_FAILURE = -1,            /**< the request failed: see tarn_client_last_failure */
    TARN_BAD_DATA = -2,           /**< not returned by any function (lookups report it as TARN_FAILURE) */
    TARN_NOT_IMPLEMENTED = -3,    /**< not returned by any function of this interface */
    TARN_OUT_OF_MEMORY = -4,      /**< an allocation failed */
    TARN_INVALID_ARGUMENT = -5,   /**< a missing or unusable argument; nothing was sent */
    TARN_INVALID_OUT_POINTER = -6, /**< a NULL where the result was to go */
    TARN_CANCELLED = -7           /**< tarn_client_cancel stopped the call */
};

/** Why a client's last call failed, as tarn_client_last_failure reports it. */
enum tarn_failure_kind {
    TARN_FAILED_NONE = 0,           /* the last call did not fail */
    TARN_FAILED_NOT_REACHED = 1,    /* the server was not reached (name, connection) */
    TARN_FAILED_NO_REPLY = 2,       /* no reply, or not all of it: time-out, closed, cut */
    TARN_FAILED_UNREADABLE = 3,     /* a reply that is not what the service sends */
    TARN_FAILED_REFUSED = 4,        /* the server answered no: an HTTP or application status */
    TARN_FAILED_CANCELLED = 5,      /* tarn_client_cancel stopped it */
    TARN_FAILED_PAST_DEADLINE = 6,  /* the deadline of tarn_client_set_deadline passed */
    TARN_FAILED_BAD_ARGUMENT = 7    /* refused before anything was sent */
};

/** The customer servlet's application codes, which a tarn_report_fn receives. */
enum tarn_app_error {
    TARN_APP_UNKNOWN_PRODUCT = 2001,
    TARN_APP_UNKNOWN_EVENT = 2002,
    TARN_APP_INVALID_PUBLIC_NAME = 2003, /* also when a login is tried without a public name */
    TARN_APP_INVALID_PASSWORD = 2004,
    TARN_APP_UNKNOWN_ACCOUNT = 2005,
    TARN_APP_WRONG_PASSWORD = 2006,
    TARN_APP_EVENT_NOT_OPEN = 2007,
    TARN_APP_NOT_PERMITTED = 2008,
    TARN_APP_AUTHORIZATION_FAILED = 2009,
    TARN_APP_SERVICE_UNAVAILABLE = 9001
};

/** What a prompt asks for, in tarn_login.action. */
enum tarn_login_action {
    TARN_LOGIN_WITH_PASSWORD = 0, /* log in with public_name and password */
    TARN_LOGIN_WITH_CONTEXT_ID = 1 /* use context_id instead; any other value: prompt again */
};

typedef struct tarn_client tarn_client;   /**< One address manager and one customer manager on one server. */
typedef struct tarn_servers tarn_servers; /**< A lookup's result. */

/** The login prompt, filled in by the library and answered by the host
 * (LoginPrompt of the C++ interface). Each text holds at most 39 bytes and
 * its terminator. On the first prompt of a tarn_ticket_get, public_name and
 * password propose the last successful login of this user (empty when
 * there is none), context_id is empty and action 0; a later prompt
 * proposes what was entered before. The service accepts names and
 * passwords of 3 to 30 ASCII letters and digits. */
typedef struct tarn_login {
    char public_name[40]; /**< in: the name to propose; out: the name entered */
    char password[40];    /**< in: the password to propose; out: the one entered */
    char context_id[40];  /**< out: read when action is TARN_LOGIN_WITH_CONTEXT_ID */
    int32_t action;       /**< out: a tarn_login_action */
} tarn_login;

/** The host's login prompt, called on the thread of tarn_ticket_get with no
 * lock held. 0: act on login->action; positive: give up, and
 * tarn_ticket_get returns that value; negative: tarn_ticket_get fails with
 * it. The library prompts again after every correctable error and sets no
 * limit of its own on the rounds: the prompt ends them. */
typedef int32_t(TARN_CDECL* tarn_prompt_fn)(void* context, tarn_login* login);
/** Told each application error of a login (a tarn_app_error), on the
 * thread of tarn_ticket_get. 0 or more: go on (the prompt comes again after
 * a correctable error, 2003 to 2006; after another, tarn_ticket_get returns
 * TARN_FAILURE); negative: tarn_ticket_get fails with that value. */
typedef int32_t(TARN_CDECL* tarn_report_fn)(void* context, int32_t code);
/** One trace line, without its line end; line is valid during the call only. */
typedef void(TARN_CDECL* tarn_trace_fn)(void* context, const char* line);

/** The loaded library's version, "MAJOR.MINOR.PATCH"; a static text (do
 * not free). C++ hosts ask it here too; TARNCLIENT_VERSION_STRING is the
 * version of the header they were built with. */
const char* TARN_CDECL tarn_version(void);

/** Opens a client on server ("<IP Address>:<Port>"; NULL or "" for the
 * configured location; see "Server location" above). out must not be NULL
 * (TARN_INVALID_OUT_POINTER). 0: *out is a new client, closed with
 * tarn_client_close. Negative: *out is NULL; the code of the failing
 * creation (TARN_FAILURE when no location is given or configured, the trace
 * says why). */
int32_t TARN_CDECL tarn_client_open(const char* server, tarn_client** out);

/** Closes a client. NULL is fine. The servers lists and tickets it gave out
 * stay valid. */
void TARN_CDECL tarn_client_close(tarn_client* client);

/** From any thread: stops the call in flight on client (or waiting for
 * another call's exchange) within 100 ms; that call then fails with
 * TARN_CANCELLED and kind TARN_FAILED_CANCELLED, nothing is stored half, and
 * the client takes the next call normally. Never waits on the network.
 * 0: a call was stopped; 1: none was in flight; TARN_INVALID_ARGUMENT:
 * client is NULL. */
int32_t TARN_CDECL tarn_client_cancel(tarn_client* client);

/** The total time each later call of client may take, the wait for another
 * call's exchange included; 0 restores the library's own bounds. A call past
 * it fails with kind TARN_FAILED_PAST_DEADLINE. 0, or
 * TARN_INVALID_ARGUMENT for a negative value or a NULL client. */
int32_t TARN_CDECL tarn_client_set_deadline(tarn_client* client, int32_t milliseconds);

/** Why client's last call failed: the one-line cause (the text of the trace's
 * "failed:" or "refused:" line, secrets masked) copied into text, and its
 * tarn_failure_kind into *kind (kind may be NULL). After a call that did not
 * fail, or before the first call: an empty text and TARN_FAILED_NONE.
 * text may be NULL only when size is 0 (to learn the length).
 * Result: the cause's full length (see "Codes" for truncation);
 * TARN_INVALID_ARGUMENT for a NULL client, TARN_INVALID_OUT_POINTER for a
 * NULL text with a size. The C interface's own refusals of a NULL client or
 * out pointer are no call: they leave the last failure as it was. */
int32_t TARN_CDECL tarn_client_last_failure(tarn_client* client, char* text, uint32_t size, int32_t* kind);

/** Looks up the servers of product (letter case ignored by the service) in
 * category, with the server name name ("any" for all of them) and, when
 * att1 is neither NULL nor "", that attribute. product, category and name
 * are required: NULL or "" fails with TARN_INVALID_ARGUMENT, nothing sent.
 * out must not be NULL (TARN_INVALID_OUT_POINTER).
 * 0: *out is a list, possibly empty (no server matched), freed with
 * tarn_servers_free. Negative: *out is NULL; TARN_INVALID_ARGUMENT,
 * TARN_CANCELLED, or TARN_FAILURE for every other failure; the cause is in
 * tarn_client_last_failure. */
int32_t TARN_CDECL tarn_servers_find(tarn_client* client, const char* product, const char* category,
                                     const char* name, const char* att1, tarn_servers** out);

/** The number of servers in the list, in the order the server gave them;
 * TARN_INVALID_ARGUMENT for NULL. */
int32_t TARN_CDECL tarn_servers_count(const tarn_servers* servers);

/** The name of the server at index (0 to count - 1), borrowed from the
 * list (valid until tarn_servers_free; do not free it); NULL for a NULL
 * list or an index out of range. */
const char* TARN_CDECL tarn_servers_name(const tarn_servers* servers, int32_t index);
/** Its address "<IP Address>:<Port>", borrowed as tarn_servers_name's. */
const char* TARN_CDECL tarn_servers_address(const tarn_servers* servers, int32_t index);
/** The host of its address (the text before the first ':', possibly
 * empty), borrowed as tarn_servers_name's. */
const char* TARN_CDECL tarn_servers_host(const tarn_servers* servers, int32_t index);
/** The port of its address (the number after the first ':', 0 without
 * digits); TARN_INVALID_ARGUMENT for a NULL list or an index out of range
 * (a value a valid index can also give: check the index against
 * tarn_servers_count first). */
int32_t TARN_CDECL tarn_servers_port(const tarn_servers* servers, int32_t index);
/** The server's "uc" value, a number the service gives each server; out of
 * range as tarn_servers_port. */
int32_t TARN_CDECL tarn_servers_uc(const tarn_servers* servers, int32_t index);

/** Frees a list and its texts. NULL is fine. */
void TARN_CDECL tarn_servers_free(tarn_servers* servers);

/** Gets a login ticket for product and event_name, the first way that applies:
 *   use_stored non-zero: the ticket tarn_ticket_put stored for them (handed
 *     out once); 1 when there is none;
 *   context_id neither NULL nor "": one request exchanges it for a ticket;
 *   otherwise: prompt(context, login) asks the host for a public name and
 *     password (login proposes the last ones used), the library requests a
 *     ticket, reports a correctable error with report(context, code) and
 *     prompts again.
 * event_name and prompt are required on every route (the library needs the
 * prompt even when the stored ticket or the context id will do), product
 * unless a context id is given and use_stored is 0 (NULL or "":
 * TARN_INVALID_ARGUMENT, nothing sent); language and report may be NULL (no report: go on after every
 * error). context is passed to the callbacks unchanged. ticket must not be
 * NULL (TARN_INVALID_OUT_POINTER).
 * 0: *ticket is a new text, freed with tarn_free. 1: no stored ticket. A
 * positive value of the prompt: it gave up. Negative: a code of tarn_code
 * (TARN_FAILURE for a failed request, a refused context id, a refusal the
 * login cannot correct, such as an unknown product, after report, or a
 * deadline that passed), or the negative value a callback returned; the
 * cause is in tarn_client_last_failure. Only 0 delivers a ticket; otherwise
 * *ticket is NULL. A new ticket is not stored: tarn_ticket_put does that.
 * A successful login is remembered for the next prompt of this user. */
int32_t TARN_CDECL tarn_ticket_get(tarn_client* client, const char* product, const char* event_name,
                                   const char* context_id, const char* language, int32_t use_stored,
                                   tarn_prompt_fn prompt, tarn_report_fn report, void* context, char** ticket);

/** Stores a copy of ticket for product (letter case ignored) and event_name
 * (exact) in the process-wide ticket store, replacing any there; every client
 * of the process shares the store. 0, or TARN_INVALID_ARGUMENT when a text
 * is NULL or "". */
int32_t TARN_CDECL tarn_ticket_put(tarn_client* client, const char* product, const char* event_name,
                                   const char* ticket);

/** Removes the stored ticket of product and event_name. 0: removed; 1: none
 * was stored; TARN_INVALID_ARGUMENT when a text is NULL or "". */
int32_t TARN_CDECL tarn_ticket_remove(tarn_client* client, const char* product, const char* event_name);

/** This computer's identifier (generated once and kept in the registry),
 * copied into text. text may be NULL only when size is 0. Result: its full
 * length (see "Codes"); TARN_INVALID_OUT_POINTER for a NULL text with a
 * size; or the negative code of the failure to read or create it. */
int32_t TARN_CDECL tarn_machine_id(char* text, uint32_t size);

/** Sends every trace line to sink(context, line), on the thread that traced,
 * besides any TARN_TRACE destination. NULL turns it off. May be set or
 * changed at any time; once it returns, the previous sink is not called
 * again. The sink must not call the library. */
void TARN_CDECL tarn_set_trace(tarn_trace_fn sink, void* context);

/** Frees a text the library handed out to be freed (a ticket). NULL is fine. */
void TARN_CDECL tarn_free(void* p);

#ifdef __cplusplus
}
#endif

#endif
