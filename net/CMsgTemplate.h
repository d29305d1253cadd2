#pragma once
// A message class with a body record: holds the record and fixes the type.

#include "net/CMsg.h"

#include <cstdint>
#include <memory>

template <class TBody, std::uint8_t TType> class CMsgTemplate : public CMsg {
public:
    static constexpr std::uint8_t kType = TType;

    CMsgTemplate() : m_pBody(std::make_unique<TBody>()) { m_nType = TType; }

    TBody& Body() { return *m_pBody; }
    const TBody& Body() const { return *m_pBody; }

protected:
    std::unique_ptr<TBody> m_pBody;
};

// A message without a body: its frame is the three header bytes.
template <std::uint8_t TType> class CMsgEmpty : public CMsg {
public:
    static constexpr std::uint8_t kType = TType;

    CMsgEmpty() { m_nType = TType; }
};
