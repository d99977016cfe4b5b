#include "sim/ModuleNetwork.h"

#include "link/Crc16.h"

namespace velmora::sim {

namespace {
// A quiet line for this long ends any partial frame, as on a Modbus line.
constexpr uint64_t kResyncGapMs = 50;
// A long-running simulator keeps only the recent requests.
constexpr size_t kRequestLogLimit = 4096;
}  // namespace

int requestFrameLength(const std::vector<uint8_t>& b) {
    if (b.size() < 2) return 0;
    switch (b[1]) {
        case 0x78:
            return 4;
        case 0x79:
            return 6;
        case 0x70:
        case 0x72:
        case 0x74:
        case 0x76:
        case 0x7A:
            return 7;
        case 0x73:
            return 8;
        case 0x71:
        case 0x75:
        case 0x77:
        case 0x7B:
            return b.size() < 5 ? 0 : 7 + b[4];
        default:
            return -1;
    }
}

SimNode& ModuleNetwork::addNode(uint8_t address) {
    return nodes_.try_emplace(address, address).first->second;
}

SimNode* ModuleNetwork::node(uint8_t address) {
    auto it = nodes_.find(address);
    return it == nodes_.end() ? nullptr : &it->second;
}

std::vector<Reply> ModuleNetwork::feed(const uint8_t* data, size_t count, uint64_t nowMs) {
    std::vector<Reply> out;
    if (count == 0) return out;
    if (nowMs - lastByteMs_ > kResyncGapMs) {
        pending_.clear();
        skipping_ = false;
    }
    lastByteMs_ = nowMs;
    if (skipping_) return out;
    pending_.insert(pending_.end(), data, data + count);
    for (;;) {
        int length = requestFrameLength(pending_);
        if (length < 0) {
            // Without its length the frame cannot be checked; the node still says it does
            // not know the command, and everything up to the next quiet gap is dropped.
            if (SimNode* n = node(pending_[0])) {
                std::vector<uint8_t> frame(pending_.begin(), pending_.begin() + 2);
                frame.resize(7, 0);
                Reply r{*n->execute(frame), 0};
                applyFaults(r, out);
            }
            pending_.clear();
            skipping_ = true;
            break;
        }
        if (length == 0 || pending_.size() < static_cast<size_t>(length)) break;
        std::vector<uint8_t> frame(pending_.begin(), pending_.begin() + length);
        pending_.erase(pending_.begin(), pending_.begin() + length);
        if (requestLog_.size() >= kRequestLogLimit)
            requestLog_.erase(requestLog_.begin(), requestLog_.begin() + kRequestLogLimit / 2);
        requestLog_.push_back(frame);
        ++requests_;
        if (!link::frameCrcOk(frame.data(), frame.size())) continue;  // modules ignore noise
        uint8_t cid = frame[0];
        SimNode* n = node(cid);
        if (cid == 0) {
            // A broadcast: every node acts, none answers.
            for (auto& [adr, each] : nodes_) {
                std::vector<uint8_t> copy = frame;
                copy[0] = adr;
                each.execute(copy);
            }
            continue;
        }
        if (!n) continue;
        auto reply = n->execute(frame);
        if (!reply) continue;
        Reply r{std::move(*reply), 0};
        applyFaults(r, out);
    }
    return out;
}

void ModuleNetwork::applyFaults(Reply& reply, std::vector<Reply>& out) {
    ++replies_;
    if (faults_.dropEvery && replies_ % faults_.dropEvery == 0) return;
    if (faults_.corruptEvery && replies_ % faults_.corruptEvery == 0) reply.bytes.back() ^= 0x5A;
    for (unsigned i = 0; i < faults_.strayBytes; ++i) reply.bytes.push_back(0xA5);
    reply.delayMs += faults_.lateMs;
    out.push_back(std::move(reply));
}

}  // namespace velmora::sim
