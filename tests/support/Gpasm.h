#pragma once
// Small sources assembled by gpasm in a scratch folder, so the tests read the files the
// assembler really writes: `NAME.cod` and `NAME.lst` beside `NAME.asm`. Relocatable
// sources are assembled as an object (its listing) and linked (the `.cod`).

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace velmora::test {

class Gpasm {
public:
    explicit Gpasm(std::string program) : program_(std::move(program)) {
        std::string pattern = (std::filesystem::temp_directory_path() / "velmora-gpasm-XXXXXX").string();
        if (mkdtemp(pattern.data())) dir_ = pattern;
    }
    ~Gpasm() {
        std::error_code ec;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
    }
    Gpasm(const Gpasm&) = delete;
    Gpasm& operator=(const Gpasm&) = delete;

    bool present() const { return !program_.empty() && std::filesystem::exists(program_) && !dir_.empty(); }

    // Writes and assembles NAME.asm; the path of NAME without its extension. gpasm's
    // exit status is not judged: a source it refuses in part still gets its files.
    std::string assemble(const std::string& name, const std::string& source, bool relocatable = false) {
        const std::filesystem::path base = dir_ / name;
        std::ofstream(base.string() + ".asm") << source;
        const std::string in = "cd '" + dir_.string() + "' && '" + program_ + "' -q ";
        if (relocatable)
            // The linker removes the assembler's listing: it is kept aside meanwhile.
            run(in + "-c " + name + ".asm && mv " + name + ".lst " + name + ".keep && '" + linker() +
                "' -q -l -o " + name + ".hex " + name + ".o; mv " + name + ".keep " + name + ".lst");
        else
            run(in + name + ".asm");
        return base.string();
    }

    std::string file(const std::string& name) const { return (dir_ / name).string(); }

private:
    std::string linker() const { return (std::filesystem::path(program_).parent_path() / "gplink").string(); }
    static void run(const std::string& command) {
        const int status = std::system((command + " > /dev/null 2>&1").c_str());
        (void)status;
    }

    std::string program_;
    std::filesystem::path dir_;
};

}  // namespace velmora::test
