// The state that every CustomerManager of the process shares: the remembered
// login, the servlet names and the ticket store. One process-wide lock
// guards all of it; the only way in is SharedState::Lock(), so nothing reads
// or changes it without that lock.
//
// The lock is a leaf: nothing else is locked while it is held, and no host
// callback or network exchange runs under it.
#ifndef TARN_CUSTOMER_SHAREDSTATE_H
#define TARN_CUSTOMER_SHAREDSTATE_H

#include "customer/CustomerSettings.h"
#include "customer/TicketStore.h"
#include "vcom/CriticalSection.h"

namespace customer {

class SharedState {
public:
    // The state, locked for as long as the Access lives.
    class Access {
    public:
        explicit Access(SharedState& state) : m_guard(state.m_lock), m_state(state) {}

        RememberedLogin& Login() { return m_state.m_login; }
        ServletNames& Servlets() { return m_state.m_servlets; }
        TicketStore& Tickets() { return m_state.m_tickets; }

    private:
        vcom::ScopedLock m_guard;
        SharedState& m_state;
    };

    // The state is process-wide (vcom/ProcessWide.h): a manager released
    // during process exit still finds its lock and its state.
    static Access Lock();

    SharedState() = default;

private:
    vcom::CriticalSection m_lock;
    RememberedLogin m_login;
    ServletNames m_servlets;
    TicketStore m_tickets;
};

} // namespace customer

#endif
