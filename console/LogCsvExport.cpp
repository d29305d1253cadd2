#include "console/LogCsvExport.h"

#include <vector>

namespace console {

namespace {

constexpr int kExportPage = 1000;

// Machine-readable and locale-free, so the file sorts and imports the same anywhere.
std::string CsvDate(const COleDateTime& time) {
    switch (time.m_status) {
    case COleDateTime::null:
        return {};
    case COleDateTime::invalid:
        return "Invalid DateTime";
    case COleDateTime::valid:
        break;
    }
    return time.Format();
}

} // namespace

std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(text);
    }
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') {
            quoted += '"';
        }
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

CLogCsvExport::CLogCsvExport(CDataBase* db, const QString& path)
    : m_pager(db, kExportPage, CLogPager::Order::NewestFirst), m_file(path) {}

bool CLogCsvExport::Begin() {
    if (!m_file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray header = QStringLiteral("日期,操作记录\r\n").toUtf8();
    return m_file.write(header) == header.size();
}

bool CLogCsvExport::Step(int rows) {
    std::string text;
    while (rows > 0 && m_pager.CanFetchMore()) {
        std::vector<tagLogInfo> page;
        if (!m_pager.FetchMore(page)) {
            m_file.cancelWriting();
            return false;
        }
        for (const tagLogInfo& line : page) {
            text += CsvField(CsvDate(line.DateTime));
            text += ',';
            text += CsvField(line.Content);
            text += "\r\n";
        }
        m_written += static_cast<long long>(page.size());
        rows -= static_cast<int>(page.size());
        if (page.empty()) {
            break;
        }
    }
    if (m_file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
        m_file.cancelWriting();
        return false;
    }
    return true;
}

bool CLogCsvExport::Finish() {
    return m_file.commit();
}

void CLogCsvExport::Cancel() {
    m_file.cancelWriting();
    m_file.commit(); // after cancelWriting this only discards the temporary file
}

} // namespace console
