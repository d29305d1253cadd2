#pragma once
// Crash reports as folders under one directory: each holds "report.txt"
// (who, what, when; UTF-8, control characters escaped) and "log" (the crash
// log's bytes as sent). A report appears whole or not at all: it is written
// under a temporary ".incoming-" name, synced and renamed, and the directory
// is synced after the rename. Temporary folders left by a killed run are
// removed when the store opens. Several workers may save at once.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

struct tagStoredReport {
    std::uint32_t nAccount = 0;
    std::string strProgram;
    std::string strLogFile; // the sender's name for it; never used as a path here
    std::string strDescription;
    std::string strPeer;
    const std::vector<unsigned char>* pLog = nullptr;
};

struct tagStoreLimits {
    std::uint64_t maxStoreBytes = 10ull << 30; // all reports together
    std::uint64_t minFreeBytes = 1ull << 30;   // left free on the file system
};

enum class enSaveResult { Saved, NoRoom, Failed };

class CReportStore {
public:
    // Creates the directory when missing.
    bool Open(const std::string& directory, tagStoreLimits limits, std::string& error);
    // `name`: the new report's folder name when Saved.
    enSaveResult Save(const tagStoredReport& report, std::string& name);

private:
    bool Reserve(std::uint64_t bytes);
    void Release(std::uint64_t bytes);

    std::string m_directory;
    tagStoreLimits m_limits;
    std::atomic<std::uint64_t> m_nSequence{0};
    mutable std::mutex m_lock;
    std::uint64_t m_nUsed = 0; // bytes of stored and reserved reports
};
