// One CSV line's fields in and out (RFC 4180 quoting through libcsv), for the bench's results files. No GL.
#include "record/csv_fields.h"

#include <algorithm>
#include <csv.h>

namespace tarnwick::bench {

namespace {
std::string csv_quoted(const std::string& field) {
    // libcsv writes the quotes and doubles the inner ones; it needs at most two bytes per byte plus two.
    std::string out(field.size() * 2 + 2, '\0');
    out.resize(csv_write(&out[0], out.size(), field.data(), field.size()));
    return out;
}

void add_field(void* text, size_t size, void* fields) {
    static_cast<std::vector<std::string>*>(fields)->emplace_back(static_cast<const char*>(text), size);
}
} // namespace

std::string csv_join(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        std::string field = fields[i];
        std::replace(field.begin(), field.end(), '\n', ' ');
        std::replace(field.begin(), field.end(), '\r', ' ');
        line +=
            (i ? "," : "") + (field.find_first_of(",\"") == std::string::npos ? field : csv_quoted(field));
    }
    return line;
}

std::vector<std::string> csv_split(const std::string& line) {
    std::vector<std::string> fields;
    csv_parser parser;
    if (csv_init(&parser, 0) != 0)
        return fields;
    csv_parse(&parser, line.data(), line.size(), add_field, nullptr, &fields);
    csv_fini(&parser, add_field, nullptr, &fields);
    csv_free(&parser);
    // libcsv reports no field at all for an empty line.
    if (fields.empty())
        fields.emplace_back();
    return fields;
}

} // namespace tarnwick::bench
