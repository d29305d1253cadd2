#pragma once
// The installation folder (the current directory) as a child account finds
// it: root's, the settings readable, the databases not even that.

#include "core/CWarrowCoreInterface.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

inline void ProtectFromChild() {
    for (const char* path : {".", "Config.ini", "DataBase", kDataBasePath, kCacheDataBasePath}) {
        ASSERT_EQ(::chown(path, 0, 0), 0) << path;
    }
    ASSERT_EQ(::chmod(".", 0755), 0);
    ASSERT_EQ(::chmod("Config.ini", 0644), 0);
    ASSERT_EQ(::chmod("DataBase", 0755), 0);
    ASSERT_EQ(::chmod(kDataBasePath, 0600), 0);
    ASSERT_EQ(::chmod(kCacheDataBasePath, 0600), 0);
}
