#pragma once
// Token buckets by key (a client address, an account number): each key may
// take `burst` at once and regains `perMinute` a minute. Shared by the
// network workers, so it locks. The table forgets keys whose bucket is full
// again, so it stays small however many addresses come by. The counts are
// per server process: N servers behind a balancer allow N times as much.

#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>

class CRateLimiter {
public:
    enum class enVerdict {
        Allowed,
        Refused,      // the key's budget is used up
        FirstRefusal, // as Refused, and the first since the key last had budget: worth one log line
    };
    using Clock = std::chrono::steady_clock;

    // perMinute 0: no limit.
    CRateLimiter(double perMinute, double burst);

    enVerdict Take(const std::string& key, Clock::time_point now = Clock::now());
    // True while the key has budget left, without taking any.
    bool HasBudget(const std::string& key, Clock::time_point now = Clock::now());

private:
    struct tagBucket {
        double tokens;
        Clock::time_point updated;
        bool refusedSinceFull = false;
    };
    tagBucket& Refill(const std::string& key, Clock::time_point now);
    void Prune(Clock::time_point now);

    double m_perSecond;
    double m_burst;
    std::mutex m_lock;
    std::unordered_map<std::string, tagBucket> m_buckets;
    Clock::time_point m_nextPrune{};
};
