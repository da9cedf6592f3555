// Writing the results table as CSV.
#include "engine/results_export.h"

#include "platform/file.h"
#include "platform/text_codec.h"

std::string CsvField(std::wstring_view text) {
    std::string field = ToUtf8(text);
    if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
    std::string quoted = "\"";
    for (char c : field) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string CsvRecord(std::initializer_list<std::wstring_view> fields) {
    std::string record;
    bool first = true;
    for (std::wstring_view field : fields) {
        if (!first) record += ',';
        record += CsvField(field);
        first = false;
    }
    return record + "\r\n";
}

std::string ResultsAsCsv(const std::vector<ResultRow>& rows) {
    std::string csv(kResultsCsvHeader);
    csv += "\r\n";
    for (const ResultRow& row : rows) csv += CsvRecord({row.link, row.state, row.location});
    return csv;
}

bool SaveResultsAsCsv(const std::wstring& path, const std::vector<ResultRow>& rows) {
    OutputFile file;
    if (!file.Create(path, FileMode::kBinary)) return false;
    const bool written = file.Write(ResultsAsCsv(rows));
    return file.Close() && written;
}
