#include "ltl/CFSM.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// An owner that records every call its states make.
class CRecorder {
public:
    virtual ~CRecorder() = default;
    int EnterA() { return Note("+A", 1); }
    int ExitA() { return Note("-A", 2); }
    int EnterB() { return Note("+B", 3); }
    int UpdateB() { return Note("~B", 4); }
    virtual int Virtual() { return Note("base", 5); }

    std::string m_log;

protected:
    int Note(const char* what, int result) {
        m_log += what;
        m_log += ' ';
        return result;
    }
};

class CDerivedRecorder : public CRecorder {
public:
    int Virtual() override { return Note("derived", 6); }
};

// A machine whose own behaviour is visible.
class CCountingMachine : public ltl::CFSM {
public:
    int OnEnter() override { return ++m_nEnter; }
    int OnUpdate() override { return ++m_nUpdate; }
    int OnExit() override { return ++m_nExit; }
    int m_nEnter = 0;
    int m_nUpdate = 0;
    int m_nExit = 0;
};

} // namespace

TEST(CFSMStateTemplateTest, CallsTheOwnersMembersAndNullPointersDoNothing) {
    CRecorder owner;
    ltl::CFSMStateTemplate<CRecorder> state(&owner, &CRecorder::EnterA, nullptr, &CRecorder::ExitA);
    EXPECT_EQ(state.OnEnter(), 1);
    EXPECT_EQ(state.OnUpdate(), 0);
    EXPECT_EQ(state.OnExit(), 2);
    EXPECT_EQ(owner.m_log, "+A -A ");

    ltl::CFSMStateTemplate<CRecorder> empty;
    EXPECT_EQ(empty.OnEnter() + empty.OnUpdate() + empty.OnExit(), 0);
}

TEST(CFSMStateTemplateTest, AVirtualMemberIsCalledVirtually) {
    CDerivedRecorder owner;
    ltl::CFSMStateTemplate<CRecorder> state(&owner, &CRecorder::Virtual, nullptr, nullptr);
    EXPECT_EQ(state.OnEnter(), 6);
    EXPECT_EQ(owner.m_log, "derived ");
}

TEST(CFSMTest, StartsInItsOwnStateAndLeavesItThroughItsOwnExit) {
    CCountingMachine machine;
    EXPECT_EQ(machine.GetCurrentState(), machine.GetOwnState());
    // The constructor enters the own state before the derived class exists,
    // so the base's do-nothing OnEnter runs.
    EXPECT_EQ(machine.m_nEnter, 0);
    machine.Update();
    EXPECT_EQ(machine.m_nUpdate, 1);

    CRecorder owner;
    ltl::CFSMStateTemplate<CRecorder> a(&owner, &CRecorder::EnterA, nullptr, &CRecorder::ExitA);
    EXPECT_TRUE(machine.ChangeState(&a));
    EXPECT_EQ(machine.m_nExit, 1);
    EXPECT_EQ(machine.GetCurrentState(), &a);
    machine.Update(); // a has no update
    EXPECT_EQ(machine.m_nUpdate, 1);
    EXPECT_EQ(owner.m_log, "+A ");
}

TEST(CFSMTest, ChangingToTheCurrentStateRunsExitAndEnterAgainUnlessReentryIsOff) {
    CRecorder owner;
    ltl::CFSMStateTemplate<CRecorder> a(&owner, &CRecorder::EnterA, nullptr, &CRecorder::ExitA);
    ltl::CFSMStateTemplate<CRecorder> b(&owner, &CRecorder::EnterB, &CRecorder::UpdateB, nullptr);
    ltl::CFSM machine;
    machine.ChangeState(&a);
    EXPECT_TRUE(machine.ChangeState(&a));
    machine.ChangeState(&b);
    machine.Update();
    EXPECT_EQ(owner.m_log, "+A -A +A -A +B ~B ");

    owner.m_log.clear();
    machine.SetReentry(false);
    EXPECT_FALSE(machine.ChangeState(&b));
    EXPECT_TRUE(machine.ChangeState(&a));
    EXPECT_EQ(owner.m_log, "+A ");
}

TEST(CFSMTest, NullGoesToTheDefaultStateOrElseTheOwnState) {
    CRecorder owner;
    ltl::CFSMStateTemplate<CRecorder> a(&owner, &CRecorder::EnterA, nullptr, &CRecorder::ExitA);
    ltl::CFSMStateTemplate<CRecorder> b(&owner, &CRecorder::EnterB, nullptr, nullptr);
    CCountingMachine machine;
    machine.ChangeState(&a);
    EXPECT_TRUE(machine.ChangeState(nullptr));
    EXPECT_EQ(machine.GetCurrentState(), machine.GetOwnState());
    EXPECT_EQ(machine.m_nEnter, 1);

    machine.SetDefaultState(&b);
    EXPECT_TRUE(machine.ChangeState(nullptr));
    EXPECT_EQ(machine.GetCurrentState(), &b);
    EXPECT_EQ(machine.m_nExit, 2); // leaving the own state ran the machine's exit
    EXPECT_EQ(owner.m_log, "+A -A +B ");
}
