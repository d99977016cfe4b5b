#include "firmware/LostBytesFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "common/HexText.h"
#include "firmware/HexWriter.h"

namespace velmora::firmware {

namespace {

constexpr int kNameTries = 100;

std::string fileName(const FirmwareTarget& t, uint16_t block, int n) {
    std::string name = "velmora-lost-" + hexNumber(t.cid, 2);
    if (t.level == 2) name += "-" + hexNumber(t.slave, 2);
    name += "-" + hexNumber(block, 4);
    if (n > 1) name += "-" + std::to_string(n);
    return name + ".hex";
}

}  // namespace

std::string lostAddressText(const std::vector<LostByte>& lost) {
    std::string out;
    for (size_t i = 0; i < lost.size();) {
        size_t j = i;
        while (j + 1 < lost.size() && lost[j + 1].address == lost[j].address + 1) ++j;
        if (!out.empty()) out += ", ";
        out += hexNumber(lost[i].address, 4);
        if (j > i) out += "-" + hexNumber(lost[j].address, 4);
        i = j + 1;
    }
    return out;
}

std::optional<std::string> saveLostBytes(const EraseResult& r, const FirmwareTarget& target,
                                         const std::string& folder, std::string& error) {
    auto images = std::make_unique<FirmwareImages>();
    std::copy(r.meant.begin(), r.meant.end(), images->FlashImage.begin() + r.address);
    const std::string text = writeHexText(*images, r.address);
    std::error_code ec;
    const std::filesystem::path dir =
        std::filesystem::absolute(folder.empty() ? "." : folder, ec).lexically_normal();
    for (int n = 1; n <= kNameTries; ++n) {
        const std::string path = (dir / fileName(target, r.address, n)).string();
        // "x": made new or not at all, so nothing of the user's is written over.
        FILE* f = std::fopen(path.c_str(), "wx");
        if (!f) {
            if (errno == EEXIST) continue;
            error = path + ": " + std::strerror(errno);
            return std::nullopt;
        }
        const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
        const bool closed = std::fclose(f) == 0;
        if (written && closed) return path;
        error = path + ": " + std::strerror(errno);
        std::remove(path.c_str());
        return std::nullopt;
    }
    error = "no free file name in " + dir.string();
    return std::nullopt;
}

std::string lostBytesMessage(const EraseResult& r, const std::optional<std::string>& path,
                             const std::string& saveError) {
    const std::string head = "Не восстановлены байты " + lostAddressText(r.lost);
    if (path) return head + "; сохранены в файле " + *path;
    std::string bytes;
    for (const LostByte& b : r.lost) bytes += (bytes.empty() ? "" : " ") + hexNumber(b.value, 2);
    return head + " (" + bytes + "); файл не записан: " + saveError;
}

}  // namespace velmora::firmware
