#include "system/IdentNames.h"

#include "common/RegularFileRead.h"
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
    const std::string builtIn = "; имена параметров встроенные";
    const FileRead file = readRegularFile(path, kNamesFileLimit);
    switch (file.fault) {
        case FileReadFault::None:
            return {parseIdentNames(file.text), {}};
        case FileReadFault::Missing:
            return {builtInIdentNames(), {}};
        case FileReadFault::NotRegular:
            return {builtInIdentNames(), "Файл " + path + " не является файлом" + builtIn};
        case FileReadFault::TooLarge:
            return {builtInIdentNames(), "Файл " + path + " больше 64 КБ" + builtIn};
        case FileReadFault::Unreadable:
            break;
    }
    return {builtInIdentNames(), "Файл " + path + " не читается" + builtIn};
}

}  // namespace velmora::system
