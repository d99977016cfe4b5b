#include "symbols/gui/ProjectSymbols.h"

#include "symbols/SymbolFile.h"

namespace velmora::symbols::gui {

std::optional<std::string> ProjectSymbols::load(const std::string& path) {
    SymbolRead read = readSymbolFile(path);
    if (!read.ok()) return read.error;
    set(std::move(read.table), path);
    return std::nullopt;
}

void ProjectSymbols::restore(const std::string& path) {
    if (path.empty() || !load(path)) return;
    set({}, path);
}

void ProjectSymbols::set(SymbolTable table, std::string path) {
    table_ = std::move(table);
    path_ = std::move(path);
    emit changed();
}

}  // namespace velmora::symbols::gui
