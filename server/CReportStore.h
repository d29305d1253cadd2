#pragma once
// Crash reports as folders under one directory: each holds "report.txt"
// (who, what, when; UTF-8) and "log" (the crash log's bytes as sent). A
// report appears whole or not at all: it is written under a temporary name
// and renamed.

#include <cstdint>
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

class CReportStore {
public:
    // Creates the directory when missing.
    bool Open(const std::string& directory, std::string& error);
    // The new report's folder name, or empty when it could not be written.
    std::string Save(const tagStoredReport& report);

private:
    std::string m_directory;
    std::uint64_t m_nSequence = 0;
};
