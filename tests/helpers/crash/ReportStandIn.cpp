// Stands in for WarrowReport in the crash tests: records its command line,
// the file it was started from and its working directory in
// report-started.txt of its working directory.

#include <climits>
#include <cstdio>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    std::string line;
    for (int i = 0; i < argc; ++i)
        line += (i == 0 ? "" : " ") + std::string(argv[i]);
    char cwd[PATH_MAX] = "";
    char exe[PATH_MAX] = "";
    if (getcwd(cwd, sizeof cwd) == nullptr || readlink("/proc/self/exe", exe, sizeof exe - 1) <= 0)
        return 1;
    FILE* file = std::fopen("report-started.tmp", "w");
    if (file == nullptr)
        return 1;
    std::fprintf(file, "%s\n%s\n%s\n", line.c_str(), exe, cwd);
    std::fclose(file);
    // Renamed only when complete, so the test never reads half a file.
    return std::rename("report-started.tmp", "report-started.txt") == 0 ? 0 : 1;
}
