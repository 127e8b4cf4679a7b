#include "web/request_headers.h"

#include <strings.h>

int FindHeader(const std::vector<std::string>& lines, std::string_view name, int first) {
    for (size_t i = first < 0 ? 0 : size_t(first); i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.size() > name.size() && line[name.size()] == ':' &&
            ::strncasecmp(line.data(), name.data(), name.size()) == 0)
            return int(i);
    }
    return -1;
}

std::string HeaderValue(const std::vector<std::string>& lines, int index) {
    if (index < 0 || size_t(index) >= lines.size())
        return {};
    std::string_view line = lines[size_t(index)];
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return {};
    std::string_view value = line.substr(colon + 1);
    if (value.starts_with(' '))
        return std::string(value.substr(1));
    const size_t begin = value.find_first_not_of(" \t");
    if (begin == std::string_view::npos)
        return {};
    const size_t end = value.find_last_not_of(" \t");
    return std::string(value.substr(begin, end - begin + 1));
}
