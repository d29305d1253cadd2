#pragma once

namespace ltl {

// Process-wide single instance of T. Any T, however it was created, registers
// itself on construction, so Get() always finds the one that exists.
template <class T> class CSingleton {
public:
    static T* Get() {
        if (_pInstance == nullptr) {
            new T();
        }
        return static_cast<T*>(_pInstance);
    }

    static void Free() {
        if (_pInstance != nullptr) {
            delete _pInstance;
            _pInstance = nullptr;
        }
    }

protected:
    CSingleton() { _pInstance = this; }
    virtual ~CSingleton() { _pInstance = nullptr; }

    // Copies do not take over the registration; they exist so derived classes stay copyable.
    CSingleton(const CSingleton&) : CSingleton() {}
    CSingleton& operator=(const CSingleton&) { return *this; }

private:
    // Held as the base so no downcast happens while T is still being built.
    static inline CSingleton* _pInstance = nullptr;
};

} // namespace ltl
