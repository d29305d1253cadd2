#pragma once
// A state of ltl::CFSM: what happens when the machine enters it, updates in
// it and leaves it. Each operation returns an int the machine passes on.

namespace ltl {

class CFSMState {
public:
    virtual ~CFSMState() = default;
    virtual int OnEnter() = 0;
    virtual int OnUpdate() = 0;
    virtual int OnExit() = 0;
};

// A state whose three operations are member functions of an owner object.
// A null member pointer makes its operation a no-op returning 0; a pointer to
// a virtual member is called virtually.
template <class T> class CFSMStateTemplate : public CFSMState {
public:
    using Handler = int (T::*)();

    CFSMStateTemplate() = default;
    CFSMStateTemplate(T* owner, Handler enter, Handler update, Handler exit)
        : m_pOwner(owner), m_pfnEnter(enter), m_pfnUpdate(update), m_pfnExit(exit) {}

    void Set(T* owner, Handler enter, Handler update, Handler exit) {
        m_pOwner = owner;
        m_pfnEnter = enter;
        m_pfnUpdate = update;
        m_pfnExit = exit;
    }

    int OnEnter() override { return Call(m_pfnEnter); }
    int OnUpdate() override { return Call(m_pfnUpdate); }
    int OnExit() override { return Call(m_pfnExit); }

    T* GetOwner() const { return m_pOwner; }

private:
    int Call(Handler handler) {
        if (handler == nullptr || m_pOwner == nullptr) {
            return 0;
        }
        return (m_pOwner->*handler)();
    }

    T* m_pOwner = nullptr;
    Handler m_pfnEnter = nullptr;
    Handler m_pfnUpdate = nullptr;
    Handler m_pfnExit = nullptr;
};

} // namespace ltl
