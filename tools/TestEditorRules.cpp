#include "tools/TestEditorRules.h"

#include "common/HexText.h"
#include "common/NumberText.h"

namespace velmora::tools {

EditorFields editorFieldsFor(int entry) {
    switch (entry) {
    case 1: case 5: case 7: case 9: return {true, true, true, false};
    case 8: return {false, false, false, false};
    case 10: return {false, true, false, true};
    case 11: return {true, true, false, true};
    default: return {};  // none chosen, and the plain reads
    }
}

std::optional<char32_t> filterEditorKey(char32_t key, bool dataField) {
    if (key == 3 || key == 8 || key == 22 || key == 24) return key;
    if (key >= U'a' && key <= U'z') key = key - U'a' + U'A';
    if ((key >= U'0' && key <= U'9') || (key >= U'A' && key <= U'F')) return key;
    if (dataField && key == U' ') return key;
    return std::nullopt;
}

namespace {
std::string invalid(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid integer value";
}

// A field of `digits` hexadecimal digits at most, as `digits` upper-case digits.
bool field(std::string_view text, uint32_t max, int digits, std::string& out, std::string& error) {
    const std::optional<uint32_t> v = parseHex(text, max);
    if (!v) {
        error = invalid(text);
        return false;
    }
    out = hexNumber(*v, digits);
    return true;
}
}  // namespace

EditorLine buildEditorLine(const EditorInput& in) {
    EditorLine r;
    if (in.entry < 0 || in.entry >= static_cast<int>(kEditorCommands.size())) {
        r.error = "No command chosen";
        return r;
    }
    const EditorFields f = editorFieldsFor(in.entry);
    std::string v;
    std::string line;
    if (!field(in.node, 0xFF, 2, v, r.error)) return r;
    line = v + " " + hexNumber(0x70 + static_cast<uint32_t>(in.entry), 2);
    if (f.i2c) {
        if (!field(in.i2cAddress, 0xFF, 2, v, r.error)) return r;
        line += " " + v;
        if (!field(in.i2cRegister, 0xFF, 2, v, r.error)) return r;
        line += " " + v;
    }
    if (f.resourceAddress) {
        if (!field(in.resourceAddress, 0xFFFF, 4, v, r.error)) return r;
        line += " " + v.substr(0, 2) + " " + v.substr(2, 2);
    }
    if (f.count) {
        if (!field(in.count, 0xFF, 2, v, r.error)) return r;
        line += " " + v;
    }
    if (f.data) {
        line += " ";
        std::string_view rest = in.data;
        bool any = false;
        while (!rest.empty()) {
            const size_t blank = rest.find(' ');
            std::string_view group = rest.substr(0, blank);
            rest = blank == std::string_view::npos ? std::string_view{} : rest.substr(blank + 1);
            if (group.empty()) continue;
            // Only a group's last two characters count ("123" is 23).
            if (group.size() > 2) group.remove_prefix(group.size() - 2);
            if (!field(group, 0xFF, 2, v, r.error)) return r;
            line += " " + v;
            any = true;
        }
        if (!any) {
            r.error = invalid(in.data);
            return r;
        }
    }
    r.line = line;
    return r;
}

}  // namespace velmora::tools
