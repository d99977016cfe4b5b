#pragma once
// `TestLines` of the command tester: every open test file as a header "[k]path" followed
// by its lines, each with one blank in front, and the send position `TestPos`. The file
// list `clbFileName` is kept here too, so header numbers and check boxes cannot drift.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::tools {

struct TestFile {
    std::string name;  // without the directory, as `clbFileName` shows it
    bool checked = true;
};

// Where a command line of the list came from: its file's path and its number in the file.
struct TestLineOrigin {
    std::string path;
    size_t line = 0;  // 1-based
};

// A line that does not begin with a blank is a header.
bool isTestHeader(std::string_view line);

// A test file's text as lines: split at LF, a CR before it dropped, no empty line made
// of the final line end.
std::vector<std::string> testFileLines(std::string_view text);
// The largest test file read: 65,535 lines (the reach of `TestPos`) of a full frame each.
inline constexpr size_t kTestFileLimit = 65535u * 256;

// The file name of a path, after the last '/' or '\'.
std::string testFileName(std::string_view path);

class TestList {
public:
    // Appends one opened file; `lines` are its lines as read. Renumbers afterwards.
    // False, changing nothing, when the list would outgrow the 16-bit `TestPos`.
    bool addFile(const std::string& path, const std::vector<std::string>& lines);

    // Removes file `index` of the file list with its header and its command lines, and
    // renumbers. Out of range: nothing happens.
    void removeFile(size_t index);

    void setChecked(size_t index, bool checked);

    // Every header loses the text up to its first ']' and gets "[k]" in front.
    void renumber();

    // Step 3 of a tick: from `TestPos`, past headers and the lines of unchecked files, to
    // the next command line, whose index is returned; `TestPos` then points at it.
    // Nothing when no checked file has a command line (one pass over the list at most).
    std::optional<size_t> findNextCommand();

    // `TestPos` one on, back to 0 after the last line; true when it wrapped.
    bool advance();

    // A command of a checked file lies between `TestPos` and the end of the list.
    bool restHasCommand() const;

    // Step 1 of a tick: two lines at least and a checked file.
    bool canRun() const;

    // The origin of the command line at `pos`, found from the header above it.
    TestLineOrigin lineOrigin(size_t pos) const;

    const std::vector<std::string>& lines() const { return TestLines; }
    const std::vector<TestFile>& files() const { return files_; }
    uint16_t position() const { return TestPos; }
    void setPosition(uint16_t pos) { TestPos = pos < TestLines.size() ? pos : 0; }

private:
    // The file number k of a header "[k]...", if it names an open file.
    std::optional<size_t> headerFile(std::string_view header) const;
    // The file line `pos` belongs to is open and checked.
    bool ownerChecked(size_t pos) const;

    std::vector<std::string> TestLines;
    std::vector<TestFile> files_;
    uint16_t TestPos = 0;
};

}  // namespace velmora::tools
