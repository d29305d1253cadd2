#pragma once
// A small finite-state machine. It starts in its own state, whose enter,
// update and exit are the machine's own virtual OnEnter/OnUpdate/OnExit, so
// the current state is never null. ChangeState runs the old state's exit and
// the new state's enter; with re-entry allowed (the default) changing to the
// current state runs both again.

#include "ltl/CFSMState.h"

namespace ltl {

class CFSM {
public:
    CFSM() : m_ownState(this, &CFSM::OnEnter, &CFSM::OnUpdate, &CFSM::OnExit) {
        m_pCurrent = &m_ownState;
        m_ownState.OnEnter();
    }
    virtual ~CFSM() = default;
    CFSM(const CFSM&) = delete;
    CFSM& operator=(const CFSM&) = delete;

    // The machine's own behaviour, run while it is in its own state.
    virtual int OnEnter() { return 0; }
    virtual int OnUpdate() { return 0; }
    virtual int OnExit() { return 0; }

    // Null means the default state, or the machine's own state without one.
    // False only when re-entry is off and `next` is already current.
    bool ChangeState(CFSMState* next) {
        if (!m_bReentry && next == m_pCurrent) {
            return false;
        }
        if (next == nullptr) {
            next = m_pDefault != nullptr ? m_pDefault : &m_ownState;
        }
        m_pCurrent->OnExit();
        m_pCurrent = next;
        m_pCurrent->OnEnter();
        return true;
    }

    void Update() { m_pCurrent->OnUpdate(); }

    CFSMState* GetCurrentState() const { return m_pCurrent; }
    CFSMState* GetOwnState() { return &m_ownState; }
    void SetDefaultState(CFSMState* state) { m_pDefault = state; }
    void SetReentry(bool reentry) { m_bReentry = reentry; }

private:
    CFSMState* m_pCurrent = nullptr;
    CFSMState* m_pDefault = nullptr;
    CFSMStateTemplate<CFSM> m_ownState;
    bool m_bReentry = true;
};

} // namespace ltl
