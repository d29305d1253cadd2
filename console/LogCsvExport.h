#pragma once
// Writes the usage log to a CSV file (UTF-8, a header row, CRLF line ends,
// newest line first), a portion at a time so that the window showing the
// progress stays responsive with a log of a million lines. The file appears
// whole or not at all: it is written beside its name and renamed over it at
// the end.

#include "core/CLogPager.h"

#include <QSaveFile>
#include <QString>

#include <string>
#include <string_view>

class CDataBase;

namespace console {

// One CSV field: as it is, or in double quotes (inner quotes doubled) when
// it holds a comma, a quote or a line break.
std::string CsvField(std::string_view text);

class CLogCsvExport {
public:
    CLogCsvExport(CDataBase* db, const QString& path);

    // Opens the file and writes the header; false when it cannot be opened.
    bool Begin();
    // Writes up to `rows` more lines. False on a read or write error, after
    // which the export is given up (the file is left as it was).
    bool Step(int rows);
    bool Done() const { return !m_pager.CanFetchMore(); }
    // Puts the finished file in place; false when that failed.
    bool Finish();
    // Gives the export up and leaves the file as it was.
    void Cancel();

    long long Written() const { return m_written; }
    QString ErrorText() const { return m_file.errorString(); }

private:
    CLogPager m_pager;
    QSaveFile m_file;
    long long m_written = 0;
};

} // namespace console
