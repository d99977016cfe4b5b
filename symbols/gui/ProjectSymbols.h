#pragma once
// The project's symbol file as the windows see it: one table for the whole program (the
// workbench keeps it),
// changed from the settings at start and from "Файл символов..."; the browsers' name
// fields and the RAM tab hear of each change.

#include <QObject>
#include <optional>
#include <string>

#include "symbols/SymbolTable.h"

namespace velmora::symbols::gui {

class ProjectSymbols : public QObject {
    Q_OBJECT
public:
    const SymbolTable& table() const { return table_; }
    const std::string& path() const { return path_; }

    // Reads `path` and takes its table; when it cannot be read nothing changes and the
    // reason is returned.
    std::optional<std::string> load(const std::string& path);
    // The file the settings name: read when it can be, remembered either way, so a file
    // not built yet stays the project's choice.
    void restore(const std::string& path);
    void set(SymbolTable table, std::string path);

signals:
    void changed();

private:
    SymbolTable table_;
    std::string path_;
};

}  // namespace velmora::symbols::gui
