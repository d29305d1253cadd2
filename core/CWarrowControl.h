#pragma once

#include "ltl/CIni.h"

#include <cstdint>
#include <string>
#include <vector>

enum enWarrowStyle { STYLE_CHILD = 0, STYLE_PARENT = 1 };

// The settings of Config.ini that live outside the database. Fields keep
// defined values until a Load succeeds: no service id, no automatic start.
struct tagConfig {
    int ID = -1;
    int IsAutoStart = 0;
    int StartStyle = STYLE_CHILD;
    int UpdateStyle = 1;
    std::string Ip;
    int Port = 0;
    std::uint64_t Version = 0;
    int PlayTime = 7200000;
    int RestTime = 1800000;
    int TimeStyle = 0;
    int CountTime = 7200000;
};

// Reads and writes Config.ini in the current directory (the installation
// folder) and switches the computer between child and parent mode.
class CWarrowControl {
public:
    virtual ~CWarrowControl() = default;

    bool Init() { return Load(); }
    // Fails, with the reason reported, when Config.ini is missing or the
    // service has never written its id.
    bool Load();
    // Reads every key like Load but needs no service id and writes nothing:
    // for administrators' tools that show the file as it is.
    bool Peek();
    void Save();
    void SaveTime();
    // SaveTime with more keys in the same atomic replace (the shell's daily
    // counters go with the play and rest counters).
    void SaveTime(const std::vector<ltl::CIni::Entry>& more);
    tagConfig& GetConfig() { return m_config; }

    // Starts the program of the other mode (through the service when one
    // listens); the caller ends itself afterwards.
    void ChangeStyle(enWarrowStyle style);

    // "a_b_c_d" to the packed 64-bit version and back.
    static std::uint64_t ParseVersion(const char* text);
    static std::string FormatVersion(std::uint64_t version);

private:
    void ReadSettings(const ltl::CIni& ini);
    void WriteKeys(bool timeOnly, const std::vector<ltl::CIni::Entry>& more = {});
    tagConfig m_config;
};

// The file name of the program for a style: any style but STYLE_CHILD is the console.
const char* ProgramForStyle(int style);
