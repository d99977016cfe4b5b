#include "system/IdentNames.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "system/IdentBlock.h"

namespace velmora::system {

std::vector<std::string> parseIdentNames(std::string_view text) {
    std::vector<std::string> names;
    size_t pos = 0;
    while (pos < text.size() && names.size() < kMaxNames) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        names.push_back(shownFieldText(line));
        pos = end + 1;
    }
    return names;
}

IdentNames loadIdentNames(const std::string& path) {
    namespace fs = std::filesystem;
    const std::string builtIn = "; имена параметров встроенные";
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (!fs::exists(st)) return {builtInIdentNames(), {}};
    if (!fs::is_regular_file(st))
        return {builtInIdentNames(), "Файл " + path + " не является файлом" + builtIn};
    const auto size = fs::file_size(path, ec);
    if (ec || size > kNamesFileLimit)
        return {builtInIdentNames(), "Файл " + path + " больше 64 КБ" + builtIn};
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return {builtInIdentNames(), "Файл " + path + " не читается" + builtIn};
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return {builtInIdentNames(), "Файл " + path + " не читается" + builtIn};
    return {parseIdentNames(text), {}};
}

}  // namespace velmora::system
