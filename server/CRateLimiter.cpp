#include "server/CRateLimiter.h"

#include <algorithm>

namespace {
constexpr std::size_t kPruneAbove = 4096;
}

CRateLimiter::CRateLimiter(double perMinute, double burst)
    : m_perSecond(perMinute / 60.0), m_burst(std::max(burst, 1.0)) {}

CRateLimiter::tagBucket& CRateLimiter::Refill(const std::string& key, Clock::time_point now) {
    auto [it, added] = m_buckets.try_emplace(key, tagBucket{m_burst, now});
    tagBucket& bucket = it->second;
    if (!added) {
        const double seconds = std::chrono::duration<double>(now - bucket.updated).count();
        bucket.tokens = std::min(m_burst, bucket.tokens + seconds * m_perSecond);
        bucket.updated = now;
    }
    if (bucket.tokens >= 1)
        bucket.refusedSinceFull = false;
    return bucket;
}

CRateLimiter::enVerdict CRateLimiter::Take(const std::string& key, Clock::time_point now) {
    if (m_perSecond <= 0)
        return enVerdict::Allowed;
    std::lock_guard lock(m_lock);
    Prune(now);
    tagBucket& bucket = Refill(key, now);
    if (bucket.tokens >= 1) {
        bucket.tokens -= 1;
        return enVerdict::Allowed;
    }
    const bool first = !bucket.refusedSinceFull;
    bucket.refusedSinceFull = true;
    return first ? enVerdict::FirstRefusal : enVerdict::Refused;
}

// Only looks: a key without a bucket has a full one, so asking (every login
// asks) never adds entries to the table.
bool CRateLimiter::HasBudget(const std::string& key, Clock::time_point now) {
    if (m_perSecond <= 0)
        return true;
    std::lock_guard lock(m_lock);
    const auto found = m_buckets.find(key);
    if (found == m_buckets.end())
        return true;
    const double seconds = std::chrono::duration<double>(now - found->second.updated).count();
    return std::min(m_burst, found->second.tokens + seconds * m_perSecond) >= 1;
}

// A bucket that has refilled holds nothing a new bucket would not.
void CRateLimiter::Prune(Clock::time_point now) {
    if (m_buckets.size() < kPruneAbove || now < m_nextPrune)
        return;
    m_nextPrune = now + std::chrono::seconds(1);
    const double fullAfter = m_burst / m_perSecond;
    std::erase_if(m_buckets, [&](const auto& entry) {
        return std::chrono::duration<double>(now - entry.second.updated).count() >= fullAfter;
    });
}
